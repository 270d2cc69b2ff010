# Page templates and shell sessions of the sixth frozen split of real-program shots (`heldl`), for
# scripts/render-real-shots. Nobody who tunes the recogniser reads this file: its layouts stay as new
# to the recogniser as its faces. Pages: a support desk's ticket queue with the open ticket beside it,
# an accounting ledger, a password manager's vault, a cloud console's users and access keys, a travel
# booking's confirmation and a team wiki page. Each has the hard places: small grey print, text on
# saturated fills in several hues with light and dark text, inline code boxes, highlighted rows. The
# booking confirmation's only phone numbers are its four trip contacts, each after a list bullet.
from real_shot_templates import esc, wrap

HEX = '0123456789abcdef'
MONTHS = ['Jan', 'Feb', 'Mar', 'Apr', 'May', 'Jun', 'Jul', 'Aug', 'Sep', 'Oct', 'Nov', 'Dec']
# Saturated fills with the ink design systems put on them: white or a pale tint on the deep ones,
# near black or a deep shade on the light ones.
FILLS = [('#7c3aed', '#ffffff'), ('#0f766e', '#ffffff'), ('#be123c', '#ffe4e6'), ('#1d4ed8', '#ffffff'),
         ('#c2410c', '#ffffff'), ('#15803d', '#f0fdf4'), ('#facc15', '#1c1917'), ('#22d3ee', '#083344'),
         ('#a3e635', '#1a2e05'), ('#f472b6', '#500724'), ('#fb923c', '#431407'), ('#38bdf8', '#0c4a6e')]


def theme(dark):
    # fg, bg, dim (small grey print), panel, code box fill, rule
    if dark:
        return '#e4e4e7', '#18181b', '#8e8e99', '#232329', '#2e2e36', '#3f3f48'
    return '#18181b', '#fcfcfd', '#7a7a85', '#f1f1f4', '#eeeef2', '#dcdce3'


def fill(c):
    return c.pick(FILLS)


def name(c, k):
    return f'{c.pick(k.first).title()} {c.pick(k.last).title()}'


def date(c):
    return f'{c.r.randint(1, 28)} {c.pick(MONTHS)} 2026'


def amount(c):
    """Amounts as pages print them: the sign before or after, thousands separators, cents or none."""
    sign = c.pick(['$', '€', '£', '$'])
    whole = c.r.randint(3, 980) if c.r.random() < 0.6 else c.r.randint(1000, 48000)
    text = f'{whole:,}' + (f'.{c.digits(2)}' if c.r.random() < 0.8 else '')
    if sign == '€' and c.r.random() < 0.4:
        return text + ' €'
    return sign + text


def access_key(c):
    return c.pick([lambda: 'AKIA' + c.chars(16, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567'), c.key, c.key])()


def pill(c, text, size):
    f, ink = fill(c)
    return (f'<span style="display:inline-block;background:{f};color:{ink};border-radius:999px;padding:1px 9px;'
            f'font-size:{size}px">{esc(text)}</span>')


def heldl_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, code, rule = theme(dark)
    small = c.pick([10, 11, 12])
    style = (f"body{{margin:14px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
             f".mono,code{{font-family:'{mono}'}} .dim{{color:{dim};font-size:{small}px}}"
             f"code.box{{background:{code};border:1px solid {rule};border-radius:4px;padding:1px 5px;font-size:{size - 1}px}}"
             f"table{{border-collapse:collapse}} td,th{{padding:4px 9px;border-bottom:1px solid {rule};text-align:left}}"
             f".panel{{background:{panel};border-radius:8px;padding:8px 12px}}"
             f".box{{border:1px solid {rule};border-radius:5px;padding:3px 8px;display:inline-block;margin:2px 0 6px}}"
             f".bubble{{border-radius:14px;padding:6px 12px;margin:5px 0;width:max-content}}")
    body = []
    if kind == 'desk':
        # The queue on the left, one ticket selected on a strong fill; the open ticket on the right.
        sel_fill, sel_ink = fill(c)
        picked = c.r.randrange(8)
        body.append('<div style="display:flex;gap:16px"><div style="width:430px">'
                    f'<div class=dim style="margin-bottom:4px">Queue · {c.r.randint(12, 80)} open</div>')
        for i in range(8):
            lit = f'background:{sel_fill};color:{sel_ink};' if i == picked else ''
            grey = f'color:{sel_ink};opacity:.85;' if i == picked else ''
            status = c.pick(['Open', 'Pending', 'Urgent', 'On hold', 'Solved'])
            body.append(f'<div style="{lit}padding:4px 8px;border-bottom:1px solid {rule}">'
                        f'<div>#{c.r.randint(10000, 99999)} {esc(c.pick(k.words).title())} {c.pick(["charge disputed", "cannot sign in", "refund request", "invoice wrong", "card declined"])} '
                        f'{pill(c, status, small)}</div>'
                        f'<div class=dim style="{grey}">{esc(c.email())} · {c.r.randint(2, 59)} min ago</div></div>')
        body.append('</div><div style="flex:1">')
        body.append(f'<div class=panel><b>{esc(name(c, k))}</b><div class=dim>{esc(c.email())}</div>'
                    f'<div style="display:flex;gap:10px;margin-top:6px"><span class=box>{esc(c.phone())}</span>'
                    f'<span class=box>{esc(amount(c))}</span></div>'
                    f'<div class=dim>Last seen from {esc(c.ip())}</div></div>')
        cust_fill, cust_ink = fill(c)
        for i in range(4):
            said = c.pick([f'I was charged {amount(c)} twice', f'the card was {c.card()}', f'my new address is {c.email()}',
                           f'it fails from {c.ip()}', f'please refund {amount(c)}'])
            if i % 2 == 0:
                body.append(f'<div class=bubble style="background:{cust_fill};color:{cust_ink}">{esc(said)}</div>')
            else:
                body.append(f'<div class=bubble style="background:{panel};margin-left:auto">{esc(said)}</div>')
        body.append(f'<div class=dim style="margin-top:6px">Internal note: reissued key <code class=box>{esc(access_key(c))}</code></div>'
                    f'<table style="margin-top:6px"><tr><th>Order</th><th>Total</th><th>Card</th></tr>')
        for i in range(3):
            body.append(f'<tr><td>#{c.r.randint(100000, 999999)}</td><td>{pill(c, amount(c), small)}</td>'
                        f'<td class=mono>{esc(c.card())}</td></tr>')
        body.append('</table></div></div>')
    elif kind == 'ledger':
        hues = [fill(c), fill(c)]
        lit = {c.r.randrange(11): 0, c.r.randrange(11): 1}
        body.append(f'<div style="display:flex;gap:10px;margin-bottom:8px">'
                    f'<span class=panel>Opening {esc(amount(c))}</span><span class=panel>Closing {esc(amount(c))}</span>'
                    f'{pill(c, amount(c), size)}</div>')
        body.append('<table><tr><th>Date</th><th>Payee</th><th>Card</th><th>Phone</th><th style="text-align:right">Debit</th>'
                    '<th style="text-align:right">Credit</th></tr>')
        for i in range(11):
            mark = ''
            if i in lit:
                f, ink = hues[lit[i]]
                mark = f' style="background:{f};color:{ink}"'
            debit, credit = (amount(c), '') if c.r.random() < 0.6 else ('', amount(c))
            payee = f'{esc(c.pick(k.words).title())} Ltd<div class=dim style="color:inherit;opacity:.8">{esc(c.email())}</div>'
            body.append(f'<tr{mark}><td>{c.r.randint(1, 28):02}/{c.r.randint(1, 12):02}</td><td>{payee}</td>'
                        f'<td class=mono>{esc(c.card() if c.r.random() < 0.6 else "—")}</td>'
                        f'<td>{esc(c.phone() if c.r.random() < 0.4 else "")}</td>'
                        f'<td style="text-align:right">{esc(debit)}</td><td style="text-align:right">{esc(credit)}</td></tr>')
        body.append(f'</table><div class=dim style="margin-top:6px">Exported by {esc(c.email())} from {esc(c.ip())}</div>')
    elif kind == 'passwords':
        sel_fill, sel_ink = fill(c)
        picked = c.r.randrange(7)
        body.append('<div style="display:flex;gap:16px"><div style="width:330px">')
        for i in range(7):
            lit = f'background:{sel_fill};color:{sel_ink};' if i == picked else ''
            site = f'{c.pick(k.words)}.{c.pick(["com", "io", "net", "app"])}'
            body.append(f'<div style="{lit}padding:5px 8px;border-radius:6px">'
                        f'<div><b>{esc(site)}</b></div>'
                        f'<div class=dim style="{"color:" + sel_ink if i == picked else ""}">{esc(c.email())}</div></div>')
        # The vault's other items, each value in a monospaced face under a grey label.
        body.append('<table style="margin-top:8px">')
        for label, value in [('Backup key', access_key(c)), ('Work card', c.card()), ('VPN gateway', c.ip()),
                             ('Spending cap', amount(c))]:
            body.append(f'<tr><td class=dim>{label}</td><td class=mono style="font-size:{small + 1}px">{esc(value)}</td></tr>')
        body.append('</table>')
        body.append('</div><div style="flex:1"><h3 style="margin:2px 0 6px">' + esc(c.pick(k.words).title()) + ' account</h3>')
        for label, value, face in [('Username', c.email(), ''), ('Password', '•' * c.r.randint(10, 16), ''),
                                   ('API key', access_key(c), ' mono'), ('Card number', c.card(), ' mono'),
                                   ('Recovery phone', c.phone(), ''), ('Server', c.ip(), ' mono')]:
            body.append(f'<div class=dim>{label}</div><div class="box{face}">{esc(value)}</div>')
        body.append(f'<div>{pill(c, "2FA on", small)} {pill(c, amount(c) + " plan", small)}</div>'
                    f'<div class=dim style="margin-top:6px">Shared with {esc(c.email())} · edited {date(c)}</div></div></div>')
    elif kind == 'iam':
        body.append(f'<div class=panel style="margin-bottom:8px">Root account <b>{esc(c.email())}</b> · MFA '
                    f'<span class=box>{esc(c.phone())}</span> · billing alarm at {esc(amount(c))}</div>')
        body.append('<table><tr><th>User</th><th>Access key</th><th>Status</th><th>Last used</th></tr>')
        lit = c.r.randrange(7)
        sel_fill, sel_ink = fill(c)
        for i in range(7):
            mark = f' style="background:{sel_fill};color:{sel_ink}"' if i == lit else ''
            status = c.pick(['Active', 'Active', 'Inactive', 'Rotate'])
            body.append(f'<tr{mark}><td>{esc(c.pick(k.first))}-{esc(c.pick(k.words))}<div class=dim style="color:inherit;opacity:.8">{esc(c.email())}</div></td>'
                        f'<td class=mono>{esc(access_key(c))}</td><td>{pill(c, status, small)}</td>'
                        f'<td class=dim style="color:inherit">{c.r.randint(1, 23)} h ago from {esc(c.ip())}</td></tr>')
        body.append(f'</table><div class=panel style="margin-top:8px">New secret, shown once: '
                    f'<code class=box>{esc(c.chars(40, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"))}</code></div>')
    elif kind == 'booking':
        head, head_ink = fill(c)
        ref = c.chars(6, 'ABCDEFGHJKLMNPQRSTUVWXYZ')
        body.append(f'<div style="background:{head};color:{head_ink};margin:-14px -14px 10px;padding:10px 14px">'
                    f'<b>Booking confirmed</b> · reference {ref} · sent to {esc(c.email())}</div>')
        body.append('<div style="display:flex;gap:18px"><div style="flex:1">')
        for leg in range(2):
            code = c.pick(['KL', 'LH', 'BA', 'QF', 'NZ', 'AF'])
            body.append(f'<div class=panel style="margin-bottom:6px"><b>{code} {c.r.randint(100, 999)}</b> · '
                        f'{c.pick(["Sat", "Sun", "Mon", "Wed"])} {date(c)} · {c.r.randint(6, 22):02}:{c.pick(["05", "25", "40", "55"])} · '
                        f'seat {c.r.randint(3, 40)}{c.pick("ACDF")} <div class=dim>Fare {esc(amount(c))} · bag {esc(amount(c))}</div></div>')
        body.append(f'<div class=panel><b>{esc(c.pick(k.words).title())} Hotel</b>, {c.r.randint(2, 9)} nights'
                    f'<div class=dim>Room {esc(amount(c))} a night · city tax {esc(amount(c))}</div></div>')
        body.append('<table style="margin-top:6px"><tr><th>Traveller</th><th>E-mail</th><th>Extras</th></tr>')
        for i in range(c.r.randint(2, 3)):
            body.append(f'<tr><td>{esc(name(c, k))}</td><td>{esc(c.email())}</td><td>{esc(amount(c))}</td></tr>')
        total, total_ink = fill(c)
        body.append(f'<tr style="background:{total};color:{total_ink}"><td>Total</td><td></td><td>{esc(amount(c))}</td></tr></table>')
        body.append(f'<p>Paid with card <span class=mono>{esc(c.card())}</span>: total '
                    f'{pill(c, amount(c), size)}</p><div class=dim>Booked from {esc(c.ip())} · manage with '
                    f'<code class=box>{esc(c.key())}</code></div></div>')
        # The trip's contacts: a bullet, then the number, a box of its own.
        body.append('<div style="width:300px"><b>Contacts during your trip</b>')
        for who in ['Hotel desk', 'Airline', 'Our help line', 'Local agent']:
            bullet = c.pick(['•', '◦', '▪', '‣'])
            body.append(f'<div style="margin:4px 0"><span style="display:inline-block">{bullet}</span> '
                        f'<span style="display:inline-block">{esc(c.phone())}</span>'
                        f'<span class=dim style="display:inline-block;margin-left:12px">{who}</span></div>')
        body.append(f'<div class=dim style="margin-top:8px">Questions: {esc(c.email())}</div></div></div>')
    else:  # wiki: prose with inline code, a callout on a fill, an on-call table
        call, call_ink = fill(c)
        body.append(f'<h3 style="margin:2px 0 6px">{esc(c.pick(k.words).title())} runbook</h3>')
        for i in range(3):
            body.append(f'<p style="margin:4px 0">Point the {esc(c.pick(k.words))} job at <code class=box>{esc(c.ip())}</code> '
                        f'and sign in with <code class=box>{esc(access_key(c))}</code>; '
                        f'alerts go to <code class=box>{esc(c.email())}</code>.</p>')
        body.append(f'<div style="background:{call};color:{call_ink};border-radius:6px;padding:6px 10px;margin:6px 0">'
                    f'Spend over {esc(amount(c))} pages the owner; the test card is <span class=mono>{esc(c.card())}</span></div>')
        body.append('<table><tr><th>On call</th><th>Phone</th><th>E-mail</th></tr>')
        lit = c.r.randrange(4)
        for i in range(4):
            f, ink = fill(c)
            mark = f' style="background:{f};color:{ink}"' if i == lit else ''
            body.append(f'<tr{mark}><td>{esc(name(c, k))}</td><td>{esc(c.phone())}</td><td>{esc(c.email())}</td></tr>')
        body.append(f'</table><ul style="margin:6px 0">')
        for i in range(3):
            body.append(f'<li>{esc(c.phone())}</li>')
        body.append(f'</ul><div class=dim>Last edited by {esc(c.email())} · {date(c)}</div>')
    return wrap(k, style, body)


def heldl_session(c, k, hosts):
    """A shell session: blocks of programs' output in an order of its own, among prompts, dates,
    commit ids, pod names, device paths, versions, ports and load averages that are no secrets."""
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~$ '
    # Dollars only: the Latin-1 bitmap faces have no euro sign, and the Japanese faces draw the pound
    # sign two cells wide, which moves the rest of its line off the grid.
    money = lambda: c.money().replace('€', '$').replace('£', '$')  # noqa: E731
    month, day = c.pick(MONTHS), c.r.randint(10, 28)
    clock = lambda: f'{c.r.randint(10, 23)}:{c.r.randint(10, 59)}:{c.r.randint(10, 59)}'  # noqa: E731

    def uptime():
        return [prompt + 'uptime', f' {clock()} up {c.r.randint(2, 90)} days,  {c.r.randint(1, 9)}:{c.r.randint(10, 59)},  '
                f'{c.r.randint(1, 4)} users,  load average: 0.{c.digits(2)}, 0.{c.digits(2)}, 0.{c.digits(2)}']

    def secrets_env():
        out = [prompt + 'grep -v "^#" .env.local']
        for i in range(4):
            out.append(c.pick([f'API_KEY={c.key()}', f'OWNER_MAIL={c.email()}', f'REDIS_HOST={c.ip()}',
                               f'AWS_ACCESS_KEY_ID=AKIA{c.chars(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567")}',
                               f'SMTP_FROM={c.email()}', f'PORT={c.r.randint(3000, 9999)}']))
        return out

    def customers():
        # sqlite's columns stand three blanks apart: the phone number is a run of its own.
        out = [prompt + 'sqlite3 -column shop.db "select phone, email, card from customers limit 3"',
               'phone               email                            card',
               '------------------  -------------------------------  ----------------']
        for i in range(3):
            out.append(f'{c.phone():<17}   {c.email():<30}   {c.card(True)}')
        return out

    def invoices():
        out = [prompt + 'billing invoices --unpaid', 'NUMBER     DUE          AMOUNT       CUSTOMER']
        for i in range(3):
            out.append(f'INV-{c.digits(5)}  2026-{c.r.randint(1, 12):02}-{c.r.randint(10, 28)}   {money():<12} {c.email()}')
        return out

    def pods():
        out = [prompt + 'kubectl get pods -n payments', 'NAME                                   READY   STATUS    RESTARTS   AGE']
        for i in range(2):
            pod = f'{c.pick(k.words)}-{c.chars(9, HEX)}-{c.chars(5, "bcdfghjklmnpqrstvwxz2456789")}'
            out.append(f'{pod:<39}1/1     Running   {c.r.randint(0, 7)}          {c.r.randint(2, 40)}d')
        return out

    def disks():
        return [prompt + 'df -h / /var', 'Filesystem      Size  Used Avail Use% Mounted on',
                f'/dev/sda2       {c.r.randint(100, 900)}G  {c.r.randint(20, 90)}G  {c.r.randint(10, 500)}G  {c.r.randint(5, 90)}% /',
                f'/dev/sdb1       {c.r.randint(1, 4)}.{c.r.randint(0, 9)}T  {c.r.randint(100, 900)}G  {c.r.randint(100, 900)}G  {c.r.randint(5, 90)}% /var']

    def logins():
        out = [prompt + 'last -i -n 3 | head -3']
        for i in range(3):
            out.append(f'{c.pick(k.first):<9}pts/{c.r.randint(0, 4)}        {c.ip():<16} {c.pick(["Mon", "Tue", "Thu"])} {month} {day} '
                       f'{c.r.randint(7, 9):02}:{c.r.randint(10, 59)}   still logged in')
        return out

    def git_log():
        out = [prompt + 'git log --format="%h %ad %ae" --date=short -3']
        for i in range(3):
            out.append(f'{c.chars(7, HEX)} 2026-{c.r.randint(1, 12):02}-{c.r.randint(10, 28)} {c.email()}')
        return out

    def vault():
        return [prompt + 'vault kv get -field=token secret/ci', c.key(), prompt + 'cat ~/.config/deploy/credentials',
                '[default]', f'access_key_id = AKIA{c.chars(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567")}',
                f'secret_access_key = {c.chars(40, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")}']

    def oncall():
        out = [prompt + 'column -t -s, oncall.csv']
        for i in range(3):
            out.append(f'{c.pick(k.first):<8}   {c.phone()}   {c.email()}')
        return out

    def journal():
        out = [prompt + f'journalctl -u payments --since {clock()[:5]} -n 3 --no-pager']
        for i in range(3):
            out.append(c.pick([f'{month} {day} {clock()} {host} payments[{c.r.randint(300, 65000)}]: charged {money()} card={c.card(True)}',
                               f'{month} {day} {clock()} {host} payments[{c.r.randint(300, 65000)}]: refund {money()} to {c.email()}',
                               f'{month} {day} {clock()} {host} payments[{c.r.randint(300, 65000)}]: webhook from {c.ip()} port {c.r.randint(1024, 65000)}']))
        return out

    def docker():
        out = [prompt + 'docker ps --format "{{.Names}}  {{.Image}}  {{.Ports}}"']
        for i in range(2):
            out.append(f'{c.pick(k.words)}-{c.r.randint(1, 9)}  {c.pick(k.words)}:{c.r.randint(1, 9)}.{c.r.randint(0, 30)}.{c.r.randint(0, 9)}  '
                       f'{c.r.randint(3000, 9999)}/tcp')
        return out

    harmless = [uptime, pods, disks, docker]
    secret = [secrets_env, customers, invoices, logins, git_log, vault, oncall, journal]
    blocks = c.r.sample(secret, 6) + c.r.sample(harmless, 2)
    c.r.shuffle(blocks)
    lines = []
    for block in blocks:
        lines += block()
    return lines + [prompt]
