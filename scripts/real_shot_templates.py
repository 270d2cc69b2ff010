# Page templates and shell sessions of the held-out split of real-program shots and of the tuning
# shots made beside it, for scripts/render-real-shots. Each page gathers the places where text is
# hard to read in real programs: small grey print, inline code boxes, bubbles on saturated fills,
# a highlighted table row with the cells under it, bullets before phone numbers, a monospaced key
# on a grey card. The two splits share none of their templates: `held` for the held-out one,
# `tune` for the tuning one.
from html import escape


def esc(t):
    return escape(t, quote=False)


class Kit:
    """What the templates borrow from the renderer: word lists, colour mixing, the truth script."""

    def __init__(self, words, first, last, mix, truth_script):
        self.words, self.first, self.last, self.mix, self.truth = words, first, last, mix, truth_script


def theme(dark):
    # fg, bg, dim (small grey print), panel, code box fill, code box border
    if dark:
        return '#d1d5db', '#0f1115', '#8b949e', '#1c2128', '#2d333b', '#444c56'
    return '#1f2328', '#ffffff', '#6b7280', '#eef0f3', '#f3f4f6', '#d0d7de'


def sentence(c, k, item):
    return c.pick([f'{item}', f'{c.pick(k.words)} {item}', f'{item} ({c.pick(k.words)})'])


def secret(c):
    return c.pick([c.email, c.phone, c.card, c.ip, c.money, c.key])()


def wrap(k, style, body):
    return (f'<!doctype html><html><head><meta charset=utf-8><style>{style}</style></head><body>'
            f'{"".join(l + chr(10) for l in body)}{k.truth}</body></html>')


def base_style(ui, mono, size, fg, bg, dim, code, edge):
    return (f"body{{margin:16px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
            f".mono,code{{font-family:'{mono}'}} .dim{{color:{dim}}}"
            f"code.box{{background:{code};border:1px solid {edge};border-radius:4px;padding:1px 4px;font-size:{size - 1}px}}"
            f".bubble{{border-radius:16px;padding:7px 12px;margin:5px 0;width:max-content}}"
            f"table{{border-collapse:collapse}} td,th{{border-bottom:1px solid {edge};padding:4px 10px;text-align:left}}")


# The held-out templates.

def held_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, code, edge = theme(dark)
    style = base_style(ui, mono, size, fg, bg, dim, code, edge)
    small = c.pick([10, 11, 12])
    body = []
    if kind == 'tracker':
        body.append(f'<h3>{esc(c.pick(k.words)).title()} issues</h3>')
        for i in range(6):
            fill = c.pick(['#1a7f37', '#8250df', '#cf222e', '#bf8700'])
            body.append(f'<div style="border-bottom:1px solid {edge};padding:6px 0"><b>#{c.digits(4)} {esc(c.pick(k.words))} fails after {esc(c.pick(k.words))}</b> '
                        f'<span style="background:{fill};color:#fff;border-radius:999px;padding:1px 7px;font-size:{small}px">{c.pick(["open", "triage", "bug", "blocked"])}</span>'
                        f'<div>Seen on <code class=box>{esc(c.pick([c.ip, c.key, c.email])())}</code> while {esc(c.pick(k.words))} ran; '
                        f'assigned to {esc(c.email())}</div>'
                        f'<div class=dim style="font-size:{small}px">opened {c.r.randint(2, 30)} days ago by {esc(c.email())}</div></div>')
    elif kind == 'bubbles':
        pink, cyan = c.pick(['#ec4899', '#db2777', '#f472b6', '#e11d48']), c.pick(['#06b6d4', '#0891b2', '#22d3ee', '#0e7490'])
        for i in range(11):
            me = c.r.random() < 0.5
            fill = pink if me else cyan
            ink = '#ffffff' if c.r.random() < 0.75 else c.pick(['#111827', '#3b0764'])
            body.append(f'<div class=bubble style="background:{fill};color:{ink};{"margin-left:auto" if me else ""}">'
                        f'{esc(sentence(c, k, secret(c)))}</div>')
    elif kind == 'prefs':
        body.append('<h3>Account settings</h3>')
        for label, value in [('Recovery phone', c.phone), ('Last sign-in from', c.ip), ('Billing e-mail', c.email),
                             ('Card on file', c.card), ('Monthly limit', c.money), ('Deploy key', c.key),
                             ('Backup phone', c.phone), ('Allowed network', c.ip)]:
            grey = c.pick(['#8b949e', '#6e7681', '#9ca3af']) if dark else c.pick(['#6b7280', '#8c959f', '#9ca3af'])
            body.append(f'<div style="margin:0 0 9px"><div>{label}</div>'
                        f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px">{esc(c.pick(["Currently ", "Set to ", ""]))}{esc(value())}'
                        f'{esc(c.pick(["", " · change", " (verified)"]))}</div></div>')
    elif kind == 'docs':
        body.append(f'<h3>Connecting the {esc(c.pick(k.words))} service</h3>')
        for i in range(7):
            body.append(f'<p>Point the client at <code class=box>{esc(c.ip())}</code> and authenticate with '
                        f'<code class=box>{esc(c.pick([c.key, c.email, c.card, c.phone])())}</code>; charges of '
                        f'<code class=box>{esc(c.money())}</code> appear on the {esc(c.pick(k.words))} report.</p>')
    elif kind == 'grid':
        hi = c.pick(['#0969da', '#fde68a', '#bfdbfe', '#7c3aed', '#16a34a'])
        hi_ink = '#ffffff' if hi in ('#0969da', '#7c3aed', '#16a34a') else '#111827'
        lit = c.r.randint(2, 6)
        body.append('<table><tr><th>Owner</th><th>Phone</th><th>Card</th><th>Address</th><th>Total</th></tr>')
        for i in range(14):
            mark = f' style="background:{hi};color:{hi_ink}"' if i == lit or (i == lit + 7) else ''
            body.append(f'<tr{mark}><td>{esc(c.email())}</td><td>{esc(c.phone())}</td><td class=mono>{esc(c.card())}</td>'
                        f'<td class=mono>{esc(c.ip())}</td><td>{esc(c.money())}</td></tr>')
        body.append('</table>')
    elif kind == 'contacts':
        body.append('<h3>On-call contacts</h3>')
        for i in range(13):
            bullet = c.pick(['•', '◦', '‣'])
            who = f'{c.pick(k.first).title()} {c.pick(k.last).title()}'
            # The bullet and the name are boxes of their own: the phone number is a run alone, and planted.
            body.append(f'<div style="margin:3px 0"><span style="display:inline-block">{bullet}</span> {esc(c.phone())}'
                        f'<span class=dim style="display:inline-block;margin-left:14px">{esc(who)}{esc(c.pick(["", ", " + c.email()]))}</span></div>')
    elif kind == 'keycard':
        body.append('<h3>Access keys</h3>')
        card = '#f1f3f5' if not dark else '#2a2f36'
        for i in range(4):
            key = 'AKIA' + c.chars(16, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567')
            body.append(f'<div style="background:{card};border-radius:8px;padding:10px 14px;margin:0 0 10px;width:max-content">'
                        f'<div class=dim style="font-size:{small}px">Access key ID · created {c.r.randint(1, 28)} Mar</div>'
                        f'<div class=mono style="font-size:{size + 2}px">{key}</div>'
                        f'<div class=dim style="font-size:{small}px">last used from {esc(c.ip())} by {esc(c.email())}</div></div>')
    else:  # teal: a chat with a bright teal bubble holding 14 px dark text
        page, other = ('#111b21', '#202c33') if dark else ('#efeae2', '#ffffff')
        style += f'body{{background:{page}}}'
        teal = c.pick(['#2dd4bf', '#14b8a6', '#5eead4', '#00bfa5'])
        for i in range(11):
            me = c.r.random() < 0.55
            dotted = f'{c.r.randint(201, 989)}.{c.digits(3)}.{c.digits(4)}'
            text = c.pick([c.card(), dotted, f'card {c.card()}', f'call me on {dotted}', sentence(c, k, secret(c))])
            fill, ink = (teal, c.pick(['#042f2e', '#111827'])) if me else (other, fg if dark else '#111827')
            body.append(f'<div class=bubble style="background:{fill};color:{ink};font-size:14px;{"margin-left:auto" if me else ""}">'
                        f'{esc(text)}</div>')
    return wrap(k, style, body)


# The tuning templates: the same kinds of hard places in layouts of their own.

def tune_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, code, edge = theme(dark)
    style = base_style(ui, mono, size, fg, bg, dim, code, edge)
    small = c.pick([10, 11, 12])
    body = []
    if kind == 'readme':
        body.append(f'<h3>{esc(c.pick(k.words))}-client</h3><ul>')
        for i in range(8):
            body.append(f'<li>Set <code class=box>{esc(c.pick(["API_KEY", "HOST", "OWNER", "CARD"]))}</code> to '
                        f'<code class=box>{esc(secret(c))}</code> before {esc(c.pick(k.words))}</li>')
        body.append('</ul>')
    elif kind == 'messages':
        hues = [('#f472b6', '#be185d'), ('#67e8f9', '#0e7490'), ('#a3e635', '#4d7c0f'), ('#fb7185', '#9f1239'),
                ('#c084fc', '#6b21a8'), ('#fcd34d', '#b45309'), ('#5eead4', '#0f766e')]
        for i in range(11):
            light, deep = c.pick(hues)
            fill, ink = (deep, '#ffffff') if c.r.random() < 0.5 else (light, c.pick(['#111827', '#1e1b4b']))
            if c.r.random() < 0.25:
                fill, ink = light, '#ffffff'
            body.append(f'<div class=bubble style="background:{fill};color:{ink};{"margin-left:auto" if c.r.random() < 0.5 else ""}'
                        f';font-size:{c.pick([13, 14, 15])}px">{esc(sentence(c, k, secret(c)))}</div>')
    elif kind == 'footer':
        body.append(f'<h3>{esc(c.pick(k.words)).title()}</h3>')
        for i in range(9):
            grey = c.pick(['#7d8590', '#9198a1', '#6e7781', '#a0a7b0'])
            body.append(f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px;margin:0 0 6px">'
                        f'{esc(c.pick(k.words)).title()}: {esc(secret(c))} · {esc(c.pick(k.words))} {esc(secret(c))}</div>')
    elif kind == 'ledger':
        body.append('<table><tr><th>Date</th><th>Payer</th><th>Card</th><th>Phone</th><th>Amount</th></tr>')
        lit = set(c.r.sample(range(12), 3))
        hi = c.pick(['#2563eb', '#fef08a', '#fecaca', '#0d9488', '#e0e7ff'])
        hi_ink = '#ffffff' if hi in ('#2563eb', '#0d9488') else '#111827'
        for i in range(12):
            mark = f' style="background:{hi};color:{hi_ink}"' if i in lit else ''
            body.append(f'<tr{mark}><td>2026-0{c.r.randint(1, 9)}-1{c.r.randint(0, 9)}</td><td>{esc(c.email())}</td>'
                        f'<td class=mono>{esc(c.card())}</td><td>{esc(c.phone())}</td><td>{esc(c.money())}</td></tr>')
        body.append('</table>')
    elif kind == 'phonebook':
        for i in range(14):
            bullet = c.pick(['•', '◦', '‣', '·', '–', '▪'])
            body.append(f'<div style="margin:2px 0">{c.pick(k.first).title()} {bullet} {esc(c.phone())}</div>'
                        if c.r.random() < 0.3 else f'<div style="margin:2px 0"><span style="display:inline-block">{bullet}</span> {esc(c.phone())}'
                        f'<span class=dim style="display:inline-block;margin-left:18px">{c.pick(k.words)}</span></div>')
    else:  # tokens: monospaced keys on grey cards and tiles
        card = c.pick(['#e5e7eb', '#f3f4f6', '#eceff1']) if not dark else c.pick(['#30363d', '#262c36'])
        for i in range(5):
            key = c.pick([lambda: 'AKIA' + c.chars(16, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567'), c.key])()
            body.append(f'<div style="background:{card};border-radius:6px;padding:8px 12px;margin:0 0 8px;width:max-content">'
                        f'<span class=dim style="font-size:{small}px">{c.pick(["Key", "Token", "Secret"])}</span><br>'
                        f'<span class=mono style="font-size:{size + c.pick([0, 2, 4])}px">{esc(key)}</span></div>')
    return wrap(k, style, body)


# Shell sessions: prompts, pod names, device paths and git output that are no secrets, among
# lines that hold some.

def shell_session(c, k, hosts):
    prompt = f'{c.pick(k.first)}@{c.pick(hosts)}:~$ '
    ns = c.pick(k.words)
    lines = [prompt + f'kubectl get pods -n {ns}', 'NAME                              READY   STATUS    RESTARTS   AGE']
    for i in range(3):
        pod = f'{c.pick(k.words)}-{c.chars(9, "0123456789abcdef")}-{c.chars(5, "abcdefghijklmnopqrstuvwxyz0123456789")}'
        lines.append(f'{pod:<34}1/1     Running   {c.r.randint(0, 4)}          {c.r.randint(1, 9)}d{c.r.randint(1, 23)}h')
    lines += [prompt + 'df -h /boot/efi /', 'Filesystem      Size  Used Avail Use% Mounted on',
              f'/dev/nvme0n1p1  511M  6.1M  505M   2% /boot/efi', f'/dev/nvme0n1p{c.r.randint(2, 3)}  {c.r.randint(200, 900)}G  {c.r.randint(20, 150)}G  {c.r.randint(50, 700)}G  {c.r.randint(5, 90)}% /']
    lines += [prompt + 'git status --short --branch', f'## {c.pick(k.words)}...origin/{c.pick(k.words)}',
              prompt + 'git status | head -4', 'Changes not staged for commit:',
              f'        modified:   src/{c.pick(k.words)}/{c.pick(k.words)}.py', f'        modified:   deploy/{c.pick(k.words)}.yaml']
    lines += [prompt + 'cat .env.production']
    for i in range(4):
        lines.append(c.pick([f'API_TOKEN={c.key()}', f'ADMIN_EMAIL={c.email()}', f'DB_HOST={c.ip()}',
                             f'SUPPORT_PHONE="{c.phone()}"', f'AWS_ACCESS_KEY_ID=AKIA{c.chars(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567")}']))
    lines += [prompt + 'grep -h contact crm/*.csv | head -3']
    for i in range(3):
        lines.append(f'{c.pick(k.first)},{c.email()},{c.phone()},{c.money()}')
    lines += [prompt + 'last -i -n 2 | head -2']
    for i in range(2):
        lines.append(f'{c.pick(k.first):<9}pts/{c.r.randint(0, 3)}        {c.ip():<16} Mon Dec  {c.r.randint(1, 7)} 0{c.r.randint(7, 9)}:{c.r.randint(10, 59)}   still logged in')
    lines += [prompt + f'stripe charges retrieve ch_{c.chars(6, "0123456789abcdef")} | grep card',
              f'  "card": "{c.card()}", "amount": "{c.money()}"', prompt]
    return lines


def tune_session(c, k, hosts):
    """Another session for the tuning shots: a prompt with a path, pods with their IPs, mounts,
    staged git changes, credentials and a table of contacts."""
    prompt = f'{c.pick(k.first)}@{c.pick(hosts)}:~/src/{c.pick(k.words)}$ '
    lines = [prompt + 'git status', f'On branch {c.pick(k.words)}', 'Changes to be committed:',
             f'        modified:   {c.pick(k.words)}/handler.go', f'        new file:   {c.pick(k.words)}/{c.pick(k.words)}_test.go',
             prompt + 'kubectl get pods -o wide | head -3', 'NAME                                 READY   IP              NODE']
    for i in range(2):
        pod = f'{c.pick(k.words)}-{c.pick(k.words)}-{c.chars(10, "0123456789abcdef")}-{c.chars(5, "bcdfghjklmnpqrstvwxz2456789")}'
        lines.append(f'{pod:<37}1/1     {c.ip():<16}edge-{c.r.randint(1, 9)}')
    lines += [prompt + 'mount | grep nvme', f'/dev/nvme0n1p2 on / type ext4 (rw,relatime)',
              f'/dev/nvme1n1p1 on /srv/{c.pick(k.words)} type xfs (rw,noatime)']
    lines += [prompt + 'cat ~/.aws/credentials', '[default]',
              f'aws_access_key_id = AKIA{c.chars(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567")}',
              f'aws_secret_access_key = {c.chars(40, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")}']
    # Columns three blanks apart: each cell is a run of its own, as the detector parts them.
    lines += [prompt + 'column -t -s, users.csv | head -4', 'email   phone   card']
    for i in range(3):
        lines.append(f'{c.email()}   {c.phone()}   {c.card(True)}')
    lines += [prompt + 'kubectl logs deploy/gateway --tail 3']
    for i in range(3):
        lines.append(c.pick([f'{c.pick(["INFO", "WARN"])} login ok user={c.email()} ip={c.ip()}',
                             f'WARN charge failed amount={c.money()} card={c.card(True)}',
                             f'INFO token issued {c.key()}', f'INFO callback to {c.phone()} queued']))
    lines += [prompt]
    return lines
