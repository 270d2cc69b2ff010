# Page templates of the tuning shots that probe phone numbers and IP addresses where real pages put
# them: a call log, contacts and messages with bullets and icons before numbers, a customer card, a
# router's dashboard with addresses in tables, pills and code boxes, a settings page in small grey
# print, rows under a highlighted row, chat bubbles of saturated hues, and numbers in parentheses,
# after labels and at a line's start. For scripts/render-real-shots (`probe` templates).
from real_shot_templates import esc, wrap


def theme(dark):
    # fg, bg, dim (grey print), panel, code box fill, code box border
    if dark:
        return '#e6edf3', '#111418', '#8d96a0', '#1b2027', '#272e37', '#3d4652'
    return '#1d2125', '#fbfbfc', '#6f7680', '#eceef1', '#f1f3f5', '#cfd5dc'


def number(c):
    return c.pick([c.phone, c.ip])()


def name(c, k):
    return f'{c.pick(k.first).title()} {c.pick(k.last).title()}'


def when(c):
    return f'{c.r.randint(1, 12)}:{c.r.randint(10, 59)} {c.pick(["AM", "PM"])}'


def probe_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, code, edge = theme(dark)
    small = c.pick([10, 11, 12])
    style = (f"body{{margin:14px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
             f".mono,code{{font-family:'{mono}'}} .dim{{color:{dim}}}"
             f"code.box{{background:{code};border:1px solid {edge};border-radius:4px;padding:1px 5px}}"
             f".pill{{display:inline-block;border-radius:999px;padding:1px 9px;margin-right:6px;font-size:{small + 1}px}}"
             f"table{{border-collapse:collapse}} td,th{{border-bottom:1px solid {edge};padding:4px 12px;text-align:left}}"
             f".row{{display:flex;gap:12px;align-items:center;padding:5px 0;border-bottom:1px solid {edge}}}")
    body = []
    if kind == 'calls':
        # A phone's call log: an arrow icon, the caller, the number under it in grey, the line and time.
        for i in range(9):
            icon, tint = c.pick([('↙', '#16a34a'), ('↗', '#2563eb'), ('↙', '#dc2626'), ('☎', dim), ('✆', dim)])
            who = name(c, k) if c.r.random() < 0.6 else c.phone()
            body.append(f'<div class=row><span style="color:{tint};font-size:{size + 4}px">{icon}</span>'
                        f'<div><div>{esc(who)}</div><div class=dim style="font-size:{small + 1}px">'
                        f'{esc(c.phone())}</div></div>'
                        f'<span class=dim style="margin-left:auto;font-size:{small}px">{c.pick(["Mobile", "Work", "Home", "Unknown"])}, {when(c)}</span></div>')
    elif kind == 'contacts':
        # Contacts and texts: a bullet, an icon or an initial before the number.
        for i in range(12):
            mark = c.pick(['•', '●', '▸', '→', '☎', '✉', '◆', '★'])
            head = (f'<span style="display:inline-block;width:22px;height:22px;border-radius:11px;background:{c.pick(["#f59e0b", "#8b5cf6", "#10b981", "#ef4444"])};'
                    f'color:#fff;text-align:center;font-size:12px;line-height:22px;margin-right:8px">{c.pick(k.first)[0].upper()}</span>'
                    if c.r.random() < 0.3 else f'<span style="display:inline-block;margin-right:{c.pick([2, 5, 8])}px">{mark}</span>')
            tail = c.pick([f'<span class=dim style="display:inline-block;margin-left:16px">{c.pick(k.words)}</span>',
                           f'<span style="display:inline-block;margin-left:12px">— {c.pick(k.first).title()}</span>', ''])
            body.append(f'<div style="margin:3px 0">{head}<span style="display:inline-block">{esc(c.phone())}</span>{tail}</div>')
    elif kind == 'crm':
        # Customer cards: labels over values, a number in parentheses in the summary line.
        for i in range(3):
            body.append(f'<div style="background:{panel};border-radius:10px;padding:10px 14px;margin:0 0 10px;width:max-content">'
                        f'<b style="font-size:{size + 2}px">{esc(name(c, k))}</b> <span class=dim>({esc(c.phone())})</span>'
                        f'<div style="display:grid;grid-template-columns:auto auto;gap:2px 18px;margin-top:6px">'
                        f'<span class=dim style="font-size:{small}px">Phone</span><span class=dim style="font-size:{small}px">Last login from</span>'
                        f'<span>{esc(c.phone())}</span><span class=mono>{esc(c.ip())}</span>'
                        f'<span class=dim style="font-size:{small}px">Fax</span><span class=dim style="font-size:{small}px">Owner</span>'
                        f'<span>{esc(c.phone())}</span><span>{esc(c.pick(k.first).title())}</span></div></div>')
    elif kind == 'router':
        # A router's dashboard: status pills, a lease table with addresses, inline code boxes.
        ok, bad = ('#1f6f3f', '#7f1d1d') if dark else ('#dcfce7', '#fee2e2')
        ok_ink, bad_ink = ('#bbf7d0', '#fecaca') if dark else ('#166534', '#991b1b')
        body.append(f'<div style="margin-bottom:8px"><span class=pill style="background:{ok};color:{ok_ink}">WAN {esc(c.ip())}</span>'
                    f'<span class=pill style="background:{bad};color:{bad_ink}">DNS {esc(c.ip())}</span></div>')
        body.append('<table><tr><th>Device</th><th>Address</th><th>Gateway</th><th>Lease</th></tr>')
        for i in range(7):
            mono_cell = ' class=mono' if c.r.random() < 0.6 else ''
            body.append(f'<tr><td>{c.pick(k.words)}-{c.r.randint(1, 40)}</td><td{mono_cell}>{esc(c.ip())}</td>'
                        f'<td{mono_cell}>{esc(c.ip())}</td><td class=dim>{c.r.randint(1, 23)}h</td></tr>')
        body.append('</table>')
        for i in range(2):
            body.append(f'<p>Forward port {c.r.randint(1024, 9000)} to <code class=box>{esc(c.ip())}</code> '
                        f'or ping <code class=box>{esc(c.ip())}</code></p>')
    elif kind == 'fine':
        # Settings in small grey print, with numbers after labels.
        body.append(f'<h3>{esc(c.pick(k.words)).title()} settings</h3>')
        for i in range(10):
            grey = c.pick(['#8b939c', '#767e88', '#9aa1aa', '#6b7079'])
            label = c.pick(['Recovery phone', 'Static IP', 'Support line', 'Allowed from', 'Backup number', 'Subnet gateway'])
            body.append(f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px;margin:0 0 7px">'
                        f'{label}: {esc(number(c))} <span style="margin-left:10px">{esc(c.pick(k.words))} {esc(number(c))}</span></div>')
    elif kind == 'picked':
        # A table with one highlighted row and the rows under it.
        hi = c.pick(['#2563eb', '#0ea5e9', '#f59e0b', '#fde68a', '#c7d2fe', '#14b8a6'])
        hi_ink = '#ffffff' if hi in ('#2563eb', '#0ea5e9', '#14b8a6') else '#111827'
        lit = c.r.randint(0, 3)
        body.append('<table><tr><th>Host</th><th>IP</th><th>On call</th><th>Note</th></tr>')
        for i in range(10):
            mark = f' style="background:{hi};color:{hi_ink}"' if i == lit or i == lit + 5 else ''
            body.append(f'<tr{mark}><td>{c.pick(k.words)}{c.r.randint(1, 9)}</td><td class=mono>{esc(c.ip())}</td>'
                        f'<td>{esc(c.phone())}</td><td>{c.pick(k.words)}</td></tr>')
        body.append('</table>')
    elif kind == 'bubbles':
        # Chat bubbles in saturated hues with white or dark text.
        hues = ['#e11d48', '#db2777', '#c026d3', '#7c3aed', '#0891b2', '#06b6d4', '#059669', '#65a30d', '#ea580c', '#eab308']
        for i in range(10):
            fill = c.pick(hues)
            ink = c.pick(['#ffffff', '#0b1020']) if fill not in ('#eab308', '#06b6d4') else '#0b1020'
            text = c.pick([f'call me on {c.phone()}', f'{c.phone()} is my new number', f'server is at {c.ip()}',
                           f'try {c.ip()} ({c.pick(k.words)})', f'reach {c.pick(k.first).title()} ({c.phone()})'])
            side = 'margin-left:auto;' if c.r.random() < 0.5 else ''
            body.append(f'<div style="background:{fill};color:{ink};{side}border-radius:16px;padding:6px 12px;margin:5px 0;'
                        f'width:max-content;font-size:{c.pick([13, 14, 15])}px">{esc(text)}</div>')
    else:  # notes: numbers in parentheses, after labels and at a line's start
        for i in range(12):
            n = number(c)
            body.append('<div style="margin:2px 0">' + esc(c.pick([
                f'{n} {c.pick(k.words)} {c.pick(k.words)}',
                f'{c.pick(k.first).title()} ({n})',
                f'{c.pick(["Tel", "Phone", "Host", "IP", "Mob"])}: {n}',
                f'{c.pick(k.words)} [{n}]',
                f'{n}, {c.pick(k.words)}'])) + '</div>')
    return wrap(k, style, body)
