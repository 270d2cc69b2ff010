# A shell session for tuning shots of xterm in X core bitmap faces, for scripts/render-real-shots:
# prompts, git output, pod names, device paths, dates and PIDs (none of them secrets) among an
# environment with keys and addresses, a psql table of contacts, a ledger and a journal with
# addresses, laid out as those programs lay them out.


def bitmap_session(c, k, hosts):
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~/{c.pick(k.words)}$ '
    # Latin-1 bitmap faces have a pound sign but no euro sign (xterm leaves a blank): dollars instead.
    money = lambda: c.money().replace('€', '$')  # noqa: E731
    day = lambda: f'2024-{c.r.randint(1, 12):02d}-{c.r.randint(1, 28):02d}'  # noqa: E731
    clock = lambda: f'{c.r.randint(0, 23):02d}:{c.r.randint(0, 59):02d}:{c.r.randint(0, 59):02d}'  # noqa: E731
    lines = [prompt + 'git log --oneline -2',
             f'{c.chars(7, "0123456789abcdef")} {c.pick(k.words)}: retry {c.pick(k.words)} on timeout',
             f'{c.chars(7, "0123456789abcdef")} bump {c.pick(k.words)} to v{c.r.randint(1, 9)}.{c.r.randint(0, 20)}.{c.r.randint(0, 9)}']
    lines += [prompt + 'env | grep -E "MAIL|KEY"', f'NOTIFY_MAIL={c.email()}', f'STRIPE_KEY={c.key()}',
              f'REPLY_TO={c.email()}']
    lines += [prompt + 'kubectl get pods | tail -2']
    for i in range(2):
        pod = f'{c.pick(k.words)}-{c.chars(9, "0123456789abcdef")}-{c.chars(5, "bcdfghjklmnpqrstvwxz2456789")}'
        lines.append(f'{pod:<32}1/1   Running   {c.r.randint(0, 4)}   {c.r.randint(2, 59)}m')
    lines += [prompt + 'lsblk -o NAME,SIZE,MOUNTPOINT | tail -2',
              f'nvme0n1p{c.r.randint(1, 4)}  {c.r.randint(20, 900)}G /srv/{c.pick(k.words)}',
              f'sdb{c.r.randint(1, 3)}       {c.r.randint(1, 8)}T /mnt/{c.pick(k.words)}']
    # psql pads its columns and parts them with bars; the phone column stands clear of its neighbours.
    lines += [prompt + 'psql -c "select name, phone, card from contacts limit 3"',
              ' name     |       phone          | card',
              '----------+----------------------+------------------']
    for i in range(3):
        lines.append(f' {c.pick(k.first):<8} |   {c.phone():<16}   | {c.card(True)}')
    lines += [prompt + 'ledger reg expenses | tail -3']
    for i in range(3):
        lines.append(f'{day()} {c.pick(k.words).capitalize():<12} Expenses:{c.pick(k.words):<10}   {money()}')
    lines += [prompt + 'journalctl -u sshd -n 2 --no-pager']
    for i in range(2):
        pid = c.r.randint(300, 65000)
        lines.append(f'{day()} {clock()} {host} sshd[{pid}]: Accepted publickey for {user} from {c.ip()} port {c.r.randint(1024, 65000)}')
    lines += [prompt]
    return lines
