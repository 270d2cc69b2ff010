# Page templates and a shell session of the third held-out split of real-program shots, for
# scripts/render-real-shots. Programs people screenshot and share: a webmail reading pane, an order
# confirmation, an admin grid, a server status page, a settings page with a billing card, a messenger
# with avatars, a browser's network panel. Kept in a module of its own, read by nobody who tunes the
# recogniser, so its layouts stay unseen.
from real_shot_templates import esc, theme, wrap, base_style

HUES = ['#e11d48', '#7c3aed', '#0891b2', '#65a30d', '#d97706', '#db2777', '#4f46e5', '#059669']


def amount(c):
    """An amount as every terminal here draws it in one cell a character: ISO 8859-1 bitmap fonts
    have no euro sign, and the Japanese monospaced faces draw the pound sign two cells wide."""
    m = c.money()
    while not m.startswith('$'):
        m = c.money()
    return m


def box(text, style=''):
    # A box of its own (a link, a chip): what it holds is a line apart from the words around it.
    return f'<span style="display:inline-block;{style}">{esc(text)}</span>'


def avatar(c, k, size):
    name = c.pick(k.first)
    return (f'<span style="display:inline-block;width:{size}px;height:{size}px;border-radius:50%;background:{c.pick(HUES)};'
            f'color:#fff;text-align:center;line-height:{size}px;font-weight:700;margin-right:8px;vertical-align:middle">'
            f'{name[0].upper()}</span>'), name


def heldc_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, code, edge = theme(dark)
    style = base_style(ui, mono, size, fg, bg, dim, code, edge) + '.row{display:flex;gap:14px;align-items:center}'
    small = c.pick([10, 11, 12])
    body = []
    if kind == 'webmail':
        # A reading pane: a narrow list of senders on the left, the open message with its signature right.
        body.append(f'<div style="display:flex;gap:16px"><div style="width:250px;background:{panel};padding:6px">')
        for i in range(7):
            fill, ink = c.pick([('#dbeafe', '#1e3a8a'), ('#1d4ed8', '#ffffff')]) if not dark else ('#1f6feb', '#ffffff')
            sel, sub = (f'background:{fill};color:{ink};', f'color:{ink};') if i == 2 else ('', '')
            body.append(f'<div style="{sel}padding:4px 6px;margin:0 0 4px"><b>{esc(c.pick(k.first).title())}</b>'
                        f'<div class=dim style="{sub}font-size:{small}px">{esc(c.email())}</div></div>')
        body.append('</div><div style="flex:1">')
        body.append(f'<h3>Re: {esc(c.pick(k.words))} for {esc(c.pick(k.first).title())}</h3>'
                    f'<div class=dim>From {esc(c.email())} &nbsp; to {esc(c.email())}</div>')
        link = 'color:#2563eb;text-decoration:underline' if not dark else 'color:#58a6ff;text-decoration:underline'
        body.append(f'<p>Hi, the transfer of {esc(c.money())} went out today. Call me on {box(c.phone(), link)} '
                    f'if the {esc(c.pick(k.words))} box at {esc(c.ip())} is still down.</p>')
        body.append(f'<p>Card on file: <code class=box>{esc(c.card())}</code>, token <code class=box>{esc(c.key())}</code></p>')
        body.append(f'<div style="border-left:3px solid {edge};padding-left:10px;margin-top:10px">'
                    f'<div>{esc(c.pick(k.first).title())} {esc(c.pick(k.last).title())}</div>')
        for label in ['Mobile', 'Office', 'Fax']:
            body.append(f'<div class=dim style="font-size:{small}px">{box(label + ":", "width:4em")} {box(c.phone())}</div>')
        body.append(f'<div class=dim style="font-size:{small}px">{esc(c.email())}</div></div></div></div>')
    elif kind == 'order':
        # An order confirmation: items with prices, totals, shipping and payment blocks.
        body.append(f'<h2>Thanks for your order, {esc(c.pick(k.first).title())}!</h2>'
                    f'<div class=dim>Order #{c.digits(7)} · placed 2026-1{c.r.randint(0, 2)}-{c.r.randint(10, 28)}</div>'
                    f'<div class=dim style="font-size:{small}px">Tracking updates by text to {box(c.phone())}</div>')
        body.append('<table style="margin:8px 0">')
        for i in range(5):
            body.append(f'<tr><td>{c.r.randint(1, 4)} × {esc(c.pick(k.words)).title()} {c.pick(["kit", "cable", "mug", "licence"])}</td>'
                        f'<td>{esc(c.money())}</td></tr>')
        body.append(f'<tr><td class=dim>Shipping</td><td class=dim>{esc(c.money())}</td></tr>'
                    f'<tr><td><b>Total</b></td><td><b>{esc(c.money())}</b></td></tr></table>')
        body.append(f'<div style="display:flex;gap:24px"><div style="background:{panel};padding:8px 12px;border-radius:6px">'
                    f'<b>Ship to</b><div>{c.r.randint(2, 900)} {esc(c.pick(k.last).title())} St</div>'
                    f'<div>{box("☎")} {box(c.phone())}</div><div>{esc(c.email())}</div></div>'
                    f'<div style="background:{panel};padding:8px 12px;border-radius:6px"><b>Paid with</b>'
                    f'<div class=mono>{esc(c.card())}</div><div class=dim style="font-size:{small}px">Receipt to {esc(c.email())}</div>'
                    f'<div class=dim style="font-size:{small}px">Questions? {box(c.phone())}</div></div></div>'
                    f'<p>Gift code for next time: <code class=box>{esc(c.key())}</code></p>')
    elif kind == 'grid':
        # A spreadsheet-like admin grid: row numbers, many narrow columns, one selected row.
        body.append('<style>table.grid td,table.grid th{padding:3px 6px}</style>')
        body.append(f'<table class=grid style="font-size:{size - 1}px"><tr><th></th><th>A</th><th>B</th><th>C</th><th>D</th><th>E</th></tr>')
        sel = c.r.randrange(3, 10)
        for i in range(14):
            mark = f' style="background:{c.pick(["#c7d2fe", "#fde68a", "#bbf7d0"]) if not dark else "#264f78"}"' if i == sel else ''
            body.append(f'<tr{mark}><td class=dim>{i + 1}</td><td>{esc(c.email())}</td><td>{esc(c.phone())}</td>'
                        f'<td class=mono>{esc(c.ip())}</td><td style="text-align:right">{esc(c.money())}</td>'
                        f'<td class=mono>{esc(c.card(True))}</td></tr>')
        body.append('</table>')
    elif kind == 'status':
        # A server status page: coloured state pills beside each host, an incident log below.
        for i in range(8):
            state, colour = c.pick([('Operational', '#16a34a'), ('Degraded', '#d97706'), ('Down', '#dc2626')])
            body.append(f'<div class=row style="padding:4px 0;border-bottom:1px solid {edge}">'
                        f'<span style="width:13em">{esc(c.pick(k.words))}-{c.r.randint(1, 9)}</span>'
                        f'<span class=mono style="width:10em">{esc(c.ip())}</span>'
                        f'<span class=dim style="width:11em">{esc(c.phone())}</span>'
                        f'<span style="background:{colour};color:#fff;border-radius:999px;padding:1px 8px;font-size:{small}px">{state}</span></div>')
        body.append(f'<div class=dim style="font-size:{small}px;margin-top:6px">Status API token: {esc(c.key())}</div><h4>Incidents</h4>')
        for i in range(4):
            body.append(f'<div class=dim style="font-size:{small}px">{c.r.randint(10, 23)}:{c.r.randint(10, 59)} UTC — '
                        f'{c.pick([f"failover to {esc(c.ip())}", f"paged {box(c.phone())}", f"escalated to {esc(c.email())}"])}</div>')
    elif kind == 'billing':
        # A settings page: form fields left, a dark billing card with the card number on it right.
        body.append(f'<div style="display:flex;gap:24px"><div style="flex:1">')
        for label, value in [('E-mail', c.email()), ('Phone', c.phone()), ('Recovery phone', c.phone()),
                             ('Webhook secret', c.key()), ('API key', c.key()), ('Allowed IP', c.ip())]:
            body.append(f'<div class=dim style="font-size:{small}px;margin-top:6px">{label}</div>'
                        f'<div style="border:1px solid {edge};border-radius:4px;padding:4px 8px;width:max-content">{esc(value)}</div>')
        fill = c.pick(['#1e293b', '#312e81', '#134e4a', '#7f1d1d'])
        body.append(f'</div><div style="background:{fill};color:#f8fafc;border-radius:12px;padding:14px 18px;width:300px">'
                    f'<div style="font-size:{small}px;opacity:.8">Plan · billed monthly</div>'
                    f'<div style="font-size:{size + 8}px;font-weight:700">{esc(c.money())}</div>'
                    f'<div class=mono style="margin-top:10px;letter-spacing:1px">{esc(c.card())}</div>'
                    f'<div style="font-size:{small}px;margin-top:6px">Invoices go to {esc(c.email())}</div>'
                    f'<div style="font-size:{small}px">Last charge {esc(c.money())}</div>'
                    f'<div style="margin-top:12px;font-size:{small}px">')
        for i in range(4):
            body.append(f'<div>2026-{c.r.randint(1, 11):02d}-{c.r.randint(10, 28)} &nbsp; {esc(c.money())} &nbsp; '
                        f'<span class=mono>{esc(c.card(True))}</span></div>')
        body.append('</div></div></div>')
    elif kind == 'messenger':
        # A messenger: round avatars with initials, names above bubbles, times in grey.
        mine = c.pick(['#0084ff', '#7c3aed', '#16a34a', '#e11d48'])
        for i in range(8):
            me = c.r.random() < 0.45
            badge, name = avatar(c, k, 28)
            text = c.pick([c.phone(), f'sent {c.money()} just now', f'use {c.email()}',
                           f'card {c.card()}', f'ssh to {c.ip()}', f'key: {c.key()}', c.phone(), c.money(),
                           f'mail {c.email()}', f'paid {c.money()} with {c.card()}'])
            fill, ink = (mine, '#ffffff') if me else (panel, fg)
            body.append(f'<div style="display:flex;align-items:flex-end;{"flex-direction:row-reverse" if me else ""}">{badge}'
                        f'<div><div class=dim style="font-size:{small}px">{esc(name.title())} · {c.r.randint(8, 22)}:{c.r.randint(10, 59)}</div>'
                        f'<div class=bubble style="background:{fill};color:{ink};margin:2px 0 6px">{esc(text)}</div></div></div>')
    else:  # netpanel: a browser's network panel with a request's headers opened below
        body.append(f'<table class=mono style="font-size:{size - 1}px"><tr><th>Name</th><th>Status</th><th>Remote</th><th>Size</th></tr>')
        sel = c.r.randrange(0, 7)
        for i in range(7):
            mark = f' style="background:{"#dbeafe" if not dark else "#0c2d48"}"' if i == sel else ''
            body.append(f'<tr{mark}><td>{esc(c.pick(k.words))}?id={c.digits(4)}</td><td>{c.pick(["200", "204", "301", "404"])}</td>'
                        f'<td>{esc(c.ip())}:443</td><td>{c.r.randint(1, 90)}.{c.r.randint(0, 9)} kB</td></tr>')
        body.append(f'</table><div style="background:{panel};padding:6px 10px;margin-top:8px" class=mono>')
        for label, value in [('authorization', f'Bearer {c.key()}'), ('x-api-key', c.key()), ('x-user-email', c.email()),
                             ('x-forwarded-for', c.ip()), ('x-callback-phone', c.phone()), ('x-csrf-token', c.key())]:
            body.append(f'<div><span style="color:{c.pick(["#9a3412", "#c2410c"]) if not dark else "#f0883e"}">{label}:</span> {box(value)}</div>')
        body.append(f'</div><div class=dim style="font-size:{small}px;margin-top:6px">payload: {{"amount": "{esc(c.money())}", '
                    f'"card": "{esc(c.card(True))}"}}</div>')
    return wrap(k, style, body)


def heldc_session(c, k, hosts):
    """A session of its own: services and sockets, a ledger, a sqlite table of contacts, journal
    lines and an API call, among prompts, git log lines, device paths, PIDs and versions."""
    host = c.pick(hosts)
    user = c.pick(k.first)
    prompt = f'{user}@{host}:~$ '
    lines = [prompt + 'git log --oneline -3']
    for i in range(3):
        lines.append(f'{c.chars(7, "0123456789abcdef")} {c.pick(["fix", "bump", "add"])} {c.pick(k.words)} to v{c.r.randint(1, 4)}.{c.r.randint(0, 19)}.{c.r.randint(0, 9)}')
    lines += [prompt + 'ss -tlnp | head -3', 'State  Recv-Q Send-Q Local Address:Port  Peer Address:Port Process']
    for i in range(2):
        lines.append(f'LISTEN 0      {c.pick(["128", "511", "4096"])}             [::]:{c.pick(["22", "80", "5432", "8080"])}           [::]:*     '
                     f'users:(("{c.pick(["sshd", "nginx", "postgres"])}",pid={c.r.randint(300, 99999)},fd={c.r.randint(3, 12)}))')
    lines += [prompt + 'lsblk -o NAME,SIZE,MOUNTPOINT | tail -2', f'sda1   {c.r.randint(20, 900)}G /',
              f'sdb1   {c.r.randint(1, 8)}T /mnt/{c.pick(k.words)}']
    lines += [prompt + 'env | grep -i -e key -e mail']
    lines += [f'DEPLOY_KEY={c.key()}', f'NOTIFY_EMAIL={c.email()}', f'SENTRY_AUTH={c.key()}']
    lines += [prompt + "sqlite3 -column crm.db 'select * from contacts limit 4'"]
    for i in range(4):
        lines.append(f'{c.pick(k.first):<8}   {c.email():<32}   {c.phone()}')
    lines += [prompt + "sqlite3 crm.db 'select card, amount from payments limit 2'"]
    for i in range(2):
        lines.append(f'{c.card(True)}|{amount(c)}')
    lines += [prompt + 'journalctl -u sshd --since today | tail -3']
    for i in range(3):
        lines.append(f'Dec {c.r.randint(1, 28):02d} {c.r.randint(10, 23)}:{c.r.randint(10, 59)}:{c.r.randint(10, 59)} {host} sshd[{c.r.randint(300, 99999)}]: '
                     f'Accepted publickey for {user} from {c.ip()} port {c.r.randint(30000, 65000)}')
    lines += [prompt + f'curl -s https://api.{c.pick(k.words)}/v1/keys | jq -r .token', c.key()]
    lines += [prompt + 'ledger bal --flat | tail -3']
    for i in range(3):
        lines.append(f'{amount(c):>14}   {c.pick(["Expenses", "Income", "Assets"])}:{c.pick(k.words).title()}')
    lines += [prompt + 'cat card.txt', c.card(), prompt]
    return lines
