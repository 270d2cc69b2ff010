# A shell session for tuning shots of terminals drawn in monospaced faces never tuned on (many of
# them the Latin half of CJK fonts), for scripts/render-real-shots: environment variables, a
# directory listing, psql and sqlite rows of contacts, a ledger, journal lines, pods, block devices
# and a git log, laid out as those programs lay them out. Dates, PIDs, ports, sizes and device
# paths stand among the secrets without being any.

HEX = '0123456789abcdef'


def mono_session(c, k, hosts):
    user, host, word = c.pick(k.first), c.pick(hosts), c.pick(k.words)
    prompt = f'{user}@{host}:~/{word}$ '
    # Many monospaced faces draw the euro and pound signs badly: dollars only.
    money = lambda: c.money().replace('€', '$').replace('£', '$')  # noqa: E731
    month = c.pick(['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec'])
    day = c.r.randint(10, 28)
    clock = lambda: f'{c.r.randint(10, 23)}:{c.r.randint(10, 59)}:{c.r.randint(10, 59)}'  # noqa: E731
    lines = [prompt + 'env | grep -E "KEY|MAIL|TOKEN"', f'STRIPE_KEY={c.key()}', f'NOTIFY_MAIL={c.email()}',
             f'GH_TOKEN={c.key()}', f'REPLY_TO={c.email()}']
    lines += [prompt + 'ls -l exports/']
    for i in range(2):
        lines.append(f'-rw-r--r-- 1 {user} {user} {c.r.randint(1000, 99999):>6} {month} {day} '
                     f'{c.r.randint(10, 23)}:{c.r.randint(10, 59)} {c.pick(k.words)}-{c.digits(4)}.csv')
    # psql pads a column to its header: the phone number is the first column, so that the blanks
    # after it part it from the rest of the row.
    lines += [prompt + 'psql -c "select mobile_phone_number, name, card from contacts limit 3"',
              ' mobile_phone_number |  name   |       card', '---------------------+---------+---------------------']
    for i in range(3):
        lines.append(f' {c.phone():<19} | {c.pick(k.first):<7} | {c.card()}')
    lines += ['(3 rows)', '', prompt + 'sqlite3 -column crm.db "select name, phone, email from people"',
              'name      phone              email', '--------  -----------------  ------------------------']
    for i in range(2):
        lines.append(f'{c.pick(k.first):<7}   {c.phone():<16}   {c.email()}')
    lines += [prompt + 'ledger -f books.dat register payouts | tail -3']
    for i in range(3):
        lines.append(c.pick([f'2026/{c.r.randint(1, 9):02}/{c.r.randint(10, 28)} {c.pick(k.words):<10} payout   {money()}',
                             f'2026/{c.r.randint(1, 9):02}/{c.r.randint(10, 28)} charge card {c.card(True)}   {money()}',
                             f'2026/{c.r.randint(1, 9):02}/{c.r.randint(10, 28)} refund #{c.digits(5)}   {money()}']))
    lines += [prompt + 'journalctl -u ssh -n 3 --no-pager']
    for i in range(3):
        lines.append(c.pick([f'{month} {day} {clock()} {host} sshd[{c.r.randint(300, 65000)}]: Accepted publickey for {user} from {c.ip()} port {c.r.randint(1024, 65000)} ssh2',
                             f'{month} {day} {clock()} {host} sshd[{c.r.randint(300, 65000)}]: Failed password for root from {c.ip()} port {c.r.randint(1024, 65000)}',
                             f'{month} {day} {clock()} {host} sshd[{c.r.randint(300, 65000)}]: Connection closed by {c.ip()} port {c.r.randint(1024, 65000)}']))
    lines += [prompt + 'kubectl get pods | head -3', 'NAME                                  READY   STATUS    RESTARTS   AGE']
    for i in range(2):
        pod = f'{c.pick(k.words)}-{c.chars(9, HEX)}-{c.chars(5, "bcdfghjklmnpqrstvwxz2456789")}'
        lines.append(f'{pod:<38}1/1     Running   {c.r.randint(0, 9)}          {c.r.randint(2, 59)}d')
    lines += [prompt + 'lsblk -o NAME,SIZE,MOUNTPOINT | tail -2', f'nvme0n1p1   {c.r.randint(1, 9)}00M /boot/efi',
              f'nvme0n1p2   {c.r.randint(100, 900)}G /']
    lines += [prompt + 'git log --format="%h %ad %ae" --date=short -2']
    for i in range(2):
        lines.append(f'{c.chars(7, HEX)} 2026-0{c.r.randint(1, 9)}-{c.r.randint(10, 28)} {c.email()}')
    lines += [prompt]
    return lines
