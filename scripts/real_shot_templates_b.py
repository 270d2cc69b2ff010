# Page templates and the shell session of the second frozen held-out split of real-program shots
# (tests/data/real-shots/heldout-b), for scripts/render-real-shots. It was written after the
# recogniser's tuning, and whoever tunes the recogniser does not read it: its layouts must stay
# unseen for the split's figures to mean anything.
#
# Each page holds some of the places where text is hard to read in real programs, in layouts none
# of the other splits has: an invoice with small grey print, a help desk chat of bubbles in many
# hues, an answer on a forum with values in inline code boxes, a team roster with bullets before
# phone numbers, a vault of monospaced keys on light-grey cards, an orders table with a highlighted
# row and the cells under it, and banners on saturated fills.
from html import escape

ROSTER = 12  # phone numbers in a roster, each after a bullet


# Chromium skips the WOFF copy that fontconfig offers first for this face: it is named by its file.
FACES = {'Fantasque Sans Mono': "@font-face{font-family:'Fantasque Sans Mono';"
                                "src:url('file:///usr/share/fonts/truetype/fantasque-sans/Normal/TTF/FantasqueSansMono-Regular.ttf')}"}


def esc(t):
    return escape(t, quote=False)


def palette(dark):
    # fg, bg, dim (small grey print), card, code box fill, code box border
    if dark:
        return '#e6e6e6', '#16181d', '#9aa0a6', '#262a31', '#30343b', '#4a4f57'
    return '#202124', '#fcfcfd', '#70757a', '#eceef1', '#f1f3f4', '#dadce0'


def wrap(k, style, body):
    return (f'<!doctype html><html><head><meta charset=utf-8><style>{style}</style></head><body>'
            f'{"".join(l + chr(10) for l in body)}{k.truth}</body></html>')


def any_secret(c):
    return c.pick([c.email, c.phone, c.card, c.ip, c.money, c.key])()


def later_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, card, code, edge = palette(dark)
    style = (FACES.get(mono, '') + f"body{{margin:18px 22px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
             f".mono,code{{font-family:'{mono}'}} .dim{{color:{dim}}}"
             f"code.box{{background:{code};border:1px solid {edge};border-radius:3px;padding:0 5px;font-size:{size - 1}px}}"
             f".bubble{{border-radius:14px;padding:6px 11px;margin:4px 0;width:max-content}}"
             f"table{{border-collapse:collapse}} td,th{{padding:5px 12px;text-align:left;border-top:1px solid {edge}}}")
    body = []
    if kind == 'invoice':
        body.append(f'<div style="display:flex;justify-content:space-between"><b>Invoice {c.digits(5)}</b>'
                    f'<span class=dim>due {c.r.randint(1, 28)} Jan 2027</span></div>')
        body.append(f'<div class=dim style="font-size:{c.pick([10, 11, 12])}px">Billed to {esc(c.email())} · {esc(c.phone())}</div>')
        body.append('<table style="margin:10px 0">')
        for i in range(6):
            body.append(f'<tr><td>{esc(c.pick(k.words)).title()} plan</td><td>{esc(c.money())}</td></tr>')
        body.append('</table>')
        for i in range(5):
            grey = c.pick(['#9aa0a6', '#80868b', '#a8adb3']) if dark else c.pick(['#70757a', '#8a9096', '#9aa0a6'])
            body.append(f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px;margin:2px 0">'
                        f'{esc(c.pick(["Paid with card", "Remit to", "Questions:", "Issued from", "Tax id held by"]))} '
                        f'{esc(c.pick([c.card, c.email, c.phone, c.ip])())}</div>')
    elif kind == 'helpdesk':
        hues = [('#ef4444', '#7f1d1d'), ('#6366f1', '#312e81'), ('#84cc16', '#365314'), ('#f59e0b', '#78350f'),
                ('#d946ef', '#701a75'), ('#0ea5e9', '#0c4a6e'), ('#10b981', '#064e3b')]
        agent, visitor = c.pick(hues), c.pick(hues)
        body.append(f'<div class=dim>Support chat · ticket {c.digits(6)}</div>')
        for i in range(10):
            me = c.r.random() < 0.5
            light, deep = agent if me else visitor
            fill, ink = c.pick([(light, '#ffffff'), (light, c.pick(['#0b0b0f', deep])), (deep, '#ffffff'),
                                (deep, '#f8fafc')])
            text = c.pick([any_secret(c), f'{c.pick(["it is", "try", "use", "mine is"])} {any_secret(c)}',
                           f'{any_secret(c)}, thanks'])
            body.append(f'<div class=bubble style="background:{fill};color:{ink};{"margin-left:auto" if me else ""}">{esc(text)}</div>')
    elif kind == 'answer':
        body.append(f'<h3 style="margin:0 0 8px">Why does {esc(c.pick(k.words))} reject my login?</h3>')
        for i in range(6):
            body.append(f'<p style="margin:0 0 9px">{c.pick(["Check that", "Make sure", "In my case"])} '
                        f'<code class=box>{esc(c.pick(["SMTP_USER", "api_token", "ALLOWED_IP", "billing.card"]))}</code> is '
                        f'<code class=box>{esc(c.pick([c.key, c.email, c.ip, c.card, c.phone])())}</code>, not '
                        f'<code class=box>{esc(c.pick([c.ip, c.email, c.money])())}</code>.</p>')
        body.append(f'<div class=dim style="font-size:{c.pick([10, 11, 12])}px">answered by {esc(c.email())}</div>')
    elif kind == 'roster':
        body.append(f'<h3 style="margin:0 0 6px">{esc(c.pick(k.words)).title()} team</h3>')
        for i in range(ROSTER):
            bullet = c.pick(['●', '▸', '■', '○', '▪', '•'])
            who = f'{c.pick(k.first).title()} {c.pick(k.last).title()}'
            # The bullet and the name are boxes of their own: each phone number is a run alone.
            body.append(f'<div style="margin:2px 0"><span style="display:inline-block;width:1.2em">{bullet}</span>{esc(c.phone())}'
                        f'<span class=dim style="display:inline-block;margin-left:20px">{esc(who)}</span></div>')
    elif kind == 'vault':
        body.append('<h3 style="margin:0 0 8px">Service credentials</h3>')
        tile = c.pick(['#e8eaed', '#f1f3f4', '#eef0f2']) if not dark else c.pick(['#2d3139', '#33373e'])
        for i in range(4):
            key = c.pick([lambda: 'AKIA' + c.chars(16, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567'), c.key])()
            body.append(f'<div style="background:{tile};border-radius:10px;padding:9px 13px;margin:0 0 9px;width:max-content">'
                        f'<div class=dim style="font-size:{c.pick([10, 11, 12])}px">{c.pick(["Access key", "Signing key", "Deploy token"])} · '
                        f'{esc(c.pick(k.words))}</div><div class=mono style="font-size:{size + c.pick([1, 2, 3])}px">{esc(key)}</div></div>')
    elif kind == 'orders':
        hi = c.pick(['#fef3c7', '#dbeafe', '#dcfce7', '#4f46e5', '#be123c', '#0f766e'])
        hi_ink = '#ffffff' if hi in ('#4f46e5', '#be123c', '#0f766e') else '#111827'
        lit = c.r.randint(1, 4)
        body.append('<table><tr><th>Order</th><th>Customer</th><th>Card</th><th>Ship to</th><th>Total</th></tr>')
        for i in range(12):
            mark = f' style="background:{hi};color:{hi_ink}"' if i == lit else ''
            body.append(f'<tr{mark}><td>#{c.digits(5)}</td><td>{esc(c.email())}</td><td class=mono>{esc(c.card())}</td>'
                        f'<td>{esc(c.pick([c.phone, c.ip])())}</td><td>{esc(c.money())}</td></tr>')
        body.append('</table>')
    else:  # banners: strips on saturated fills with light or dark text
        for i in range(8):
            fill, ink = c.pick([('#dc2626', '#ffffff'), ('#fde047', '#1c1917'), ('#7c3aed', '#ffffff'), ('#22d3ee', '#083344'),
                                ('#ea580c', '#fff7ed'), ('#a3e635', '#1a2e05'), ('#db2777', '#ffffff'), ('#1d4ed8', '#dbeafe')])
            body.append(f'<div style="background:{fill};color:{ink};padding:7px 12px;margin:0 0 7px;border-radius:4px">'
                        f'<b>{esc(c.pick(["Heads up", "Action needed", "Billing", "Security"]))}</b> '
                        f'{esc(c.pick(["sign-in from", "refund to", "card", "call", "key"]))} {esc(any_secret(c))}</div>')
    return wrap(k, style, body)


# A shell session: prompts, pod names, device paths and git output, none of them secrets, among lines
# that hold some.

def later_session(c, k, hosts):
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~$ '
    lines = [prompt + 'git log --oneline -3']
    for i in range(3):
        lines.append(f'{c.chars(7, "0123456789abcdef")} {c.pick(["Fix", "Add", "Drop", "Move"])} {c.pick(k.words)} {c.pick(k.words)}')
    lines += [prompt + 'git status', f'On branch {c.pick(k.words)}', 'Changes not staged for commit:',
              f'        modified:   {c.pick(k.words)}/{c.pick(k.words)}.rs', f'        deleted:    {c.pick(k.words)}.toml']
    lines += [prompt + 'env | grep -E "TOKEN|MAIL|HOST"']
    lines += [f'GH_TOKEN={c.key()}', f'NOTIFY_MAIL={c.email()}', f'CACHE_HOST={c.ip()}']
    ns = c.pick(k.words)
    lines += [prompt + f'kubectl -n {ns} get pods', 'NAME                              READY   STATUS      AGE']
    for i in range(3):
        pod = f'{c.pick(k.words)}-{c.chars(9, "0123456789abcdef")}-{c.chars(5, "abcdefghijklmnopqrstuvwxyz0123456789")}'
        lines.append(f'{pod:<34}1/1     {c.pick(["Running", "Completed"]):<12}{c.r.randint(2, 59)}m')
    lines += [prompt + 'lsblk -p -o NAME,SIZE,MOUNTPOINT | grep sd',
              f'/dev/sda1      {c.r.randint(1, 9)}G /boot', f'/dev/sdb{c.r.randint(1, 4)}    {c.r.randint(100, 900)}G /mnt/{c.pick(k.words)}']
    lines += [prompt + 'psql -Atc "select name, email, phone from users limit 3"']
    for i in range(3):
        lines.append(f'{c.pick(k.first)}|{c.email()}|{c.phone()}')
    lines += [prompt + f'journalctl -u {c.pick(k.words)} -n 2 -o cat']
    lines += [f'charge ok card={c.card(True)} amount={c.money()}', f'login from {c.ip()} user={c.email()}']
    lines += [prompt + 'who', f'{user:<9}pts/{c.r.randint(0, 4)}        2026-12-0{c.r.randint(1, 7)} 09:{c.r.randint(10, 59)} ({c.ip()})', prompt]
    return lines
