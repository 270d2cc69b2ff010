# Page templates and a shell session of the fourth frozen split of real-program shots, for
# scripts/render-real-shots: a cloud console's instance table, firewall and DNS rules, an expense
# report, a support ticket thread, a password vault and a bank statement, each with the places where
# text is hard to read (state pills, a selected row on a fill, small grey print, inline code boxes,
# bullets before phone numbers). A phone number always stands alone: its own cell or box, or three
# blanks apart in a terminal, since that is where the detector is asked to find one.
from html import escape

HEX = '0123456789abcdef'
MONTHS = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec']
# How many recovery numbers the vault lists after bullets (the tests count them).
VAULT_BULLETS = 4


def esc(t):
    return escape(t, quote=False)


def theme(dark):
    # fg, bg, dim (small grey print), panel, line, accent fill for a selected row
    if dark:
        return '#e6edf3', '#161b22', '#8d96a0', '#21262d', '#30363d', '#1f6feb'
    return '#1b1f24', '#ffffff', '#6a737d', '#f4f6f8', '#d8dee4', '#0969da'


def style(ui, mono, size, dark):
    fg, bg, dim, panel, line, accent = theme(dark)
    return (f"body{{margin:14px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
            f".mono,code{{font-family:'{mono}'}} .dim{{color:{dim}}} .small{{font-size:{max(10, size - 3)}px;color:{dim}}}"
            f"code.box{{background:{panel};border:1px solid {line};border-radius:4px;padding:1px 5px}}"
            f"table{{border-collapse:collapse}} td,th{{border-bottom:1px solid {line};padding:4px 9px;text-align:left;white-space:nowrap}}"
            f"th{{color:{dim};font-weight:600;font-size:{max(10, size - 2)}px}}"
            f".pill{{display:inline-block;border-radius:10px;padding:1px 8px;font-size:{max(10, size - 2)}px}}"
            f".panel{{background:{panel};border:1px solid {line};border-radius:6px;padding:8px 12px}}"
            f".sel{{background:{accent};color:#ffffff}} .sel .dim,.sel .small{{color:#dbe7ff}}"
            f".field{{border:1px solid {line};border-radius:4px;padding:3px 7px;margin:2px 0 7px;width:max-content}}"
            f"label{{display:block;font-size:{max(10, size - 2)}px;color:{dim}}}"
            f".row{{display:flex;gap:18px;align-items:flex-start}}")


def wrap(k, css, body):
    return (f'<!doctype html><html><head><meta charset=utf-8><style>{css}</style></head><body>'
            f'{"".join(line + chr(10) for line in body)}{k.truth}</body></html>')


def name(c, k):
    return f'{c.pick(k.first).title()} {c.pick(k.last).title()}'


def day(c):
    return f'2026-{c.r.randint(1, 11):02}-{c.r.randint(10, 28)}'


def pill(text, fill, ink):
    return f'<span class=pill style="background:{fill};color:{ink}">{esc(text)}</span>'


def console(c, k, dark, size):
    """A cloud console's instances: state pills, monospaced addresses, one selected row, costs."""
    states = [('running', '#1a7f37', '#ffffff'), ('stopped', '#cf222e', '#ffffff'), ('pending', '#d4a72c', '#1b1f24')]
    body = [f'<div class=small>Account {esc(c.email())} · region {c.pick(["eu-west-2", "us-east-1", "ap-south-1"])}</div>',
            '<h3 style="margin:6px 0">Instances</h3><table><tr><th>Name</th><th>Instance</th><th>State</th>'
            '<th>Public IPv4</th><th>Private IPv4</th><th>Monthly</th></tr>']
    picked = c.r.randrange(9)
    for i in range(9):
        state = c.pick(states)
        mark = ' class=sel' if i == picked else ''
        body.append(f'<tr{mark}><td>{c.pick(k.words)}-{c.r.randint(1, 40)}</td><td class="mono small">i-{c.chars(12, HEX)}</td>'
                    f'<td>{pill(*state)}</td><td class=mono>{c.ip()}</td><td class=mono>{c.ip()}</td><td>{esc(c.money())}</td></tr>')
    body.append('</table><div class=row style="margin-top:10px"><div class=panel>')
    body.append(f'<label>Access key</label><div class=mono>{esc(c.key())}</div>'
                f'<label>Billing owner</label><div>{esc(c.email())}</div></div><div class=panel>'
                f'<label>Escalation phone</label><div>{esc(c.phone())}</div>'
                f'<label>Forecast this month</label><div><b>{esc(c.money())}</b></div></div></div>')
    return body


def firewall(c, k, dark, size):
    """Firewall rules with allow/deny pills, then DNS records; comments in small grey print."""
    body = ['<h3 style="margin:0 0 6px">Inbound rules</h3><table><tr><th>#</th><th>Action</th><th>Source</th>'
            '<th>Port</th><th>Note</th></tr>']
    lit = c.r.randrange(7)
    for i in range(7):
        allow = c.r.random() < 0.6
        mark = ' style="background:#fff8c5;color:#1b1f24"' if i == lit and not dark else (' class=sel' if i == lit else '')
        body.append(f'<tr{mark}><td>{100 + 10 * i}</td><td>{pill("Allow", "#1a7f37", "#fff") if allow else pill("Deny", "#cf222e", "#fff")}</td>'
                    f'<td class=mono>{c.ip()}</td><td>{c.pick(["22", "443", "5432", "8443", "3306"])}/tcp</td>'
                    f'<td class=small>{esc(c.email())}</td></tr>')
    body.append('</table><h3 style="margin:12px 0 6px">DNS records</h3><table><tr><th>Type</th><th>Host</th><th>Value</th><th>TTL</th></tr>')
    for i in range(5):
        kind = c.pick(['A', 'A', 'TXT', 'MX'])
        value = {'A': c.ip(), 'TXT': f'verify={c.key()}', 'MX': '10 mx.' + c.email().split('@')[1]}[kind]
        body.append(f'<tr><td>{kind}</td><td>{c.pick(k.words)}</td><td class=mono>{esc(value)}</td><td>{c.pick([300, 3600, 86400])}</td></tr>')
    body.append(f'</table><p class=small>Changes are mailed to {esc(c.email())}; the API token '
                f'<code class=box>{esc(c.key())}</code> may edit them.</p>')
    return body


def expenses(c, k, dark, size):
    """An expense report: claimant cards, amounts, approval pills, totals, a grey footer."""
    body = [f'<h3 style="margin:0">Expense report {c.digits(4)}</h3><div class=small>Submitted by {esc(c.email())} on {day(c)}</div>',
            '<table style="margin-top:8px"><tr><th>Date</th><th>Merchant</th><th>Card</th><th>Amount</th><th>Status</th></tr>']
    for i in range(9):
        status = c.pick([('Approved', '#dafbe1', '#116329'), ('Queried', '#fff1e5', '#953800'), ('Paid', '#ddf4ff', '#0a3069')])
        body.append(f'<tr><td>{day(c)}</td><td>{c.pick(k.words).title()} {c.pick(["Ltd", "GmbH", "Inc", "Cafe"])}</td>'
                    f'<td class=mono>{esc(c.card())}</td><td>{esc(c.money())}</td><td>{pill(*status)}</td></tr>')
    body.append(f'<tr><td colspan=3><b>Total</b></td><td><b>{esc(c.money())}</b></td><td></td></tr></table>')
    body.append(f'<div class=row style="margin-top:10px"><div class=panel><label>Payroll office</label><div>{esc(c.phone())}</div>'
                f'<label>Reimburse to</label><div class=mono>{esc(c.card(True))}</div></div>'
                f'<div class=small style="max-width:340px">Queries about this report go to {esc(c.email())}. '
                f'Advances over {esc(c.money())} need a second approver.</div></div>')
    return body


def ticket(c, k, dark, size):
    """A support ticket thread: initials in round avatars, times, inline code, a customer card."""
    who = name(c, k)
    body = [f'<div class=row><div style="flex:1"><h3 style="margin:0">#{c.digits(5)} Card declined at checkout</h3>'
            f'<div class=small>Opened by {esc(who)} · {c.r.randint(2, 9)} hours ago</div>']
    for i in range(6):
        agent = i % 2 == 1
        fill = c.pick(['#8250df', '#bf3989', '#0550ae', '#1a7f37', '#bc4c00'])
        initials = ''.join(p[0] for p in (name(c, k) if agent else who).split())
        text = c.pick([f'My card {esc(c.card())} was charged {esc(c.money())} twice.',
                       f'Please reply to {esc(c.email())} rather than this address.',
                       f'The request came from {c.ip()} according to our logs.',
                       f'Use the key <code class=box>{esc(c.key())}</code> when you retry.',
                       f'We refunded {esc(c.money())} to the card ending {c.digits(4)}.'])
        body.append(f'<div class=row style="margin-top:10px"><span style="display:inline-block;width:28px;height:28px;border-radius:14px;'
                    f'background:{fill};color:#fff;text-align:center;line-height:28px;font-size:12px">{initials}</span>'
                    f'<div class=panel style="max-width:520px"><div class=small>{"Agent" if agent else "Customer"} · '
                    f'{c.r.randint(10, 23)}:{c.r.randint(10, 59)}</div>{text}</div></div>')
    body.append('</div><div class=panel style="width:230px">')
    body.append(f'<label>Customer</label><div>{esc(who)}</div><label>E-mail</label><div>{esc(c.email())}</div>'
                f'<label>Phone</label><div class=field>{esc(c.phone())}</div><label>Last sign-in from</label>'
                f'<div class=mono>{c.ip()}</div><label>Lifetime value</label><div>{esc(c.money())}</div></div></div>')
    return body


def vault(c, k, dark, size):
    """A password vault: a list of logins with one selected, the open item's fields, and recovery
    numbers after bullets."""
    fg, bg, dim, panel, line, accent = theme(dark)
    body = ['<div class=row><div style="width:260px">']
    picked = c.r.randrange(8)
    for i in range(8):
        mark = ' sel' if i == picked else ''
        body.append(f'<div class="panel{mark}" style="margin-bottom:4px;border-radius:4px;padding:5px 9px"><b>{c.pick(k.words).title()}</b>'
                    f'<div class=small>{esc(c.email())}</div></div>')
    body.append('</div><div style="flex:1">')
    body.append(f'<label>Username</label><div class=field>{esc(c.email())}</div>'
                f'<label>Password</label><div class="field mono">••••••••••••</div>'
                f'<label>Card number</label><div class="field mono">{esc(c.card())}</div>'
                f'<label>Expires</label><div class=field>{c.r.randint(1, 12):02}/{c.r.randint(27, 31)}</div>'
                f'<label>API key</label><div class="field mono" style="font-size:{max(10, size - 1)}px">{esc(c.key())}</div>'
                '<label>Recovery numbers</label>')
    for i in range(VAULT_BULLETS):
        bullet = c.pick(['•', '◦', '▸', '–'])
        # The bullet is a box of its own, as list markers drawn by a page's own styles are.
        body.append(f'<div style="margin:2px 0"><span style="display:inline-block;width:14px;color:{dim}">{bullet}</span>'
                    f'{esc(c.phone())}</div>')
    body.append(f'<p class=small>Last synced from {c.ip()} · shared with {esc(c.email())}</p></div></div>')
    return body


def statement(c, k, dark, size):
    """A bank statement: holder box, transactions with amounts and a running balance, a branch
    phone number in a box of its own, small print."""
    body = [f'<div class=row><div><h3 style="margin:0">Current account</h3><div class=small>Statement {day(c)} to {day(c)}</div>'
            f'<div>{esc(name(c, k))}</div><div class=dim>{esc(c.email())}</div></div>'
            f'<div class=panel><label>Card</label><div class=mono>{esc(c.card())}</div><label>Closing balance</label>'
            f'<div><b>{esc(c.money())}</b></div></div><div class=panel><label>Branch</label><div>{esc(c.phone())}</div></div></div>',
            '<table style="margin-top:10px"><tr><th>Date</th><th>Description</th><th>Paid out</th><th>Paid in</th><th>Balance</th></tr>']
    lit = set(c.r.sample(range(10), 2))
    for i in range(10):
        mark = ' class=sel' if i in lit else ''
        out = c.r.random() < 0.7
        body.append(f'<tr{mark}><td>{c.r.randint(1, 28)} {c.pick(MONTHS)}</td>'
                    f'<td>{c.pick(["Card payment", "Transfer", "Direct debit", "Refund"])} {c.pick(k.words)}</td>'
                    f'<td>{esc(c.money()) if out else ""}</td><td>{"" if out else esc(c.money())}</td><td>{esc(c.money())}</td></tr>')
    body.append(f'</table><p class=small>Lost your card? Call the branch above. Interest paid this period: {esc(c.money())}.</p>')
    return body


PAGES = {'console': console, 'firewall': firewall, 'expenses': expenses, 'ticket': ticket, 'vault': vault,
         'statement': statement}


def heldd_page(c, k, kind, ui, mono, dark, size):
    return wrap(k, style(ui, mono, size, dark), PAGES[kind](c, k, dark, size))


def heldd_session(c, k, hosts):
    """A shell session: env vars, git tags, a directory listing, contacts and payments from a
    database, access log lines, a curl reply with a key, a ledger, listening sockets, disks."""
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~$ '
    # Bitmap and OCR faces lack the euro and pound signs or draw them wide: dollars only.
    money = lambda: c.money().replace('€', '$').replace('£', '$')  # noqa: E731
    month, dd = c.pick(MONTHS), c.r.randint(10, 28)
    lines = [prompt + 'env | grep -E "KEY|MAIL" | sort', f'ALERT_MAIL={c.email()}', f'DEPLOY_KEY={c.key()}',
             f'AWS_ACCESS_KEY_ID=AKIA{c.chars(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567")}']
    lines += [prompt + 'git tag --sort=-v:refname | head -2', f'v{c.r.randint(1, 4)}.{c.r.randint(10, 30)}.{c.r.randint(0, 9)}',
              f'v{c.r.randint(1, 4)}.{c.r.randint(0, 9)}.{c.r.randint(0, 9)}-rc{c.r.randint(1, 3)}']
    lines += [prompt + 'ls -l dumps/']
    for i in range(2):
        lines.append(f'-rw-r----- 1 {user} staff {c.r.randint(1000, 999999):>7} {month} {dd:>2} '
                     f'{c.r.randint(10, 23)}:{c.r.randint(10, 59)} {c.pick(k.words)}_{c.digits(8)}.sql.gz')
    # Columns three blanks apart: each cell a run of its own.
    lines += [prompt + 'mysql -B -e "select name, phone, email from contacts" crm | column -t']
    for i in range(3):
        lines.append(f'{c.pick(k.first):<8}   {c.phone():<16}   {c.email()}')
    lines += [prompt + 'mysql -B -e "select card, amount from payments limit 2" crm']
    for i in range(2):
        lines.append(f'{c.card(True)}   {money()}')
    lines += [prompt + 'tail -n 3 /var/log/nginx/access.log']
    for i in range(3):
        lines.append(f'{c.ip()} - - [{dd}/{month}/2026:{c.r.randint(10, 23)}:{c.r.randint(10, 59)}:{c.r.randint(10, 59)} +0000] '
                     f'"{c.pick(["GET", "POST"])} /api/{c.pick(k.words)} HTTP/1.1" {c.pick([200, 201, 404, 502])} {c.r.randint(90, 9999)}')
    lines += [prompt + f'curl -s localhost:{c.r.randint(3000, 9000)}/v1/keys/current',
              f'{{"owner": "{c.email()}", "secret": "{c.key()}"}}']
    lines += [prompt + 'hledger register expenses -n 3']
    for i in range(3):
        lines.append(f'2026-{c.r.randint(1, 11):02}-{c.r.randint(10, 28)} {c.pick(k.words):<10} expenses:{c.pick(["cloud", "travel", "office"]):<7}'
                     f'   {money():>10}   {money():>10}')
    lines += [prompt + 'ss -tlnp | tail -2']
    for i in range(2):
        lines.append(f'LISTEN 0  {c.pick([128, 511, 4096]):<4} *:{c.pick([22, 443, 5432, 6379, 8080])}  *:*  '
                     f'users:(("{c.pick(["sshd", "nginx", "postgres", "redis"])}",pid={c.r.randint(300, 65000)},fd={c.r.randint(3, 12)}))')
    lines += [prompt + 'df -h | grep sd', f'/dev/sda1   {c.r.randint(20, 900)}G  {c.r.randint(5, 19)}G   {c.r.randint(1, 99)}% /',
              f'/dev/sdb2   {c.r.randint(1, 8)}.{c.r.randint(0, 9)}T  {c.r.randint(100, 900)}G  {c.r.randint(1, 99)}% /srv']
    lines += [prompt + 'uptime', f' {c.r.randint(10, 23)}:{c.r.randint(10, 59)}:{c.r.randint(10, 59)} up {c.r.randint(2, 90)} days, '
              f' load average: 0.{c.digits(2)}, 0.{c.digits(2)}, 0.{c.digits(2)}', prompt]
    return lines
