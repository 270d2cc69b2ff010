# Page templates and shell sessions of the fifth held-out split of real-program shots (heldout-e),
# for scripts/render-real-shots. Nobody who tunes the recogniser reads this file: its pages are a
# CRM's contact list, an HR onboarding form, a hosting provider's DNS and billing dashboard, a chat
# app's channel with its member list, a log viewer with a JSON pane and a shop's order admin; its
# sessions are journalctl, kubectl describe, psql tables, env dumps, git log, ssh config, dig and
# the like. Only the secrets are planted: a phone number stands alone in its block (or three blanks
# apart in a terminal), and the look-alikes around it (prompts, dates, versions, short commit ids,
# pod names, device paths, ports, times) match none of the detector's patterns.
from html import escape


def esc(t):
    return escape(t, quote=False)


# Hues for pills, avatars, bubbles and selected rows, each with the ink drawn on it.
FILLS = [('#0e7490', '#ffffff'), ('#7e22ce', '#ffffff'), ('#be123c', '#ffffff'), ('#15803d', '#ffffff'),
         ('#c2410c', '#ffffff'), ('#1d4ed8', '#ffffff'), ('#fbbf24', '#3b2a00'), ('#a3e635', '#1a2e05'),
         ('#f472b6', '#4a0d2b'), ('#67e8f9', '#083344')]

COMPANIES = ['Halvorsen Ltd', 'Bright Axle', 'Norther & Co', 'Quillfeather', 'Mossgrove', 'Tessaract Labs',
             'Redfern Freight', 'Kavali Foods', 'Orchid Dental', 'Pinecrest Realty', 'Ironleaf', 'Sunbay Solar']
STAGES = ['Lead', 'Qualified', 'Proposal', 'Won', 'Lost', 'Negotiation']
CHANNELS = ['general', 'billing-ops', 'on-call', 'random', 'design', 'releases', 'support-tier2']


def palette(dark):
    # fg, bg, small grey print, panel, line, accent
    if dark:
        return '#e6e6e6', '#16181d', '#8d96a0', '#22262e', '#343a46', '#60a5fa'
    return '#1d232b', '#ffffff', '#69727d', '#f1f3f6', '#dde1e6', '#2563eb'


def head(ui, mono, size, dark, extra):
    fg, bg, dim, panel, line, accent = palette(dark)
    small = max(10, size - 3)
    css = (f"*{{box-sizing:border-box}} body{{margin:0;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
           f".m{{font-family:'{mono}'}} .g{{color:{dim};font-size:{small}px}} .p{{display:inline-block;border-radius:999px;"
           f"padding:1px 9px;font-size:{small}px;font-weight:600}} code{{font-family:'{mono}';background:{panel};"
           f"border:1px solid {line};border-radius:5px;padding:1px 5px;font-size:{size - 1}px;white-space:nowrap}}"
           # A key or card broken at its hyphen or blank would be two pieces on two lines.
           f".m{{white-space:nowrap}}" + extra)
    return f'<!doctype html><html><head><meta charset=utf-8><style>{css}</style></head><body>'


def tail(k, body):
    return ''.join(l + '\n' for l in body) + k.truth + '</body></html>'


def pill(c, text):
    fill, ink = c.pick(FILLS)
    return f'<span class=p style="background:{fill};color:{ink}">{esc(text)}</span>'


def name(c, k):
    return f'{c.pick(k.first).title()} {c.pick(k.last).title()}'


def initials(c, k):
    return c.pick(k.first)[0].upper() + c.pick(k.last)[0].upper()


def date(c):
    return f'{c.pick(["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"])} {c.r.randint(1, 28)}, 2026'


def clock(c):
    return f'{c.r.randint(0, 23):02d}:{c.r.randint(0, 59):02d}:{c.r.randint(0, 59):02d}'


def hexid(c, n):
    return c.chars(n, '0123456789abcdef')


# The pages.

def heldk_page(c, k, kind, ui, mono, dark, size):
    return {'crm': crm, 'onboarding': onboarding, 'dns': dns, 'members': members, 'logs': logs,
            'orders': orders}[kind](c, k, ui, mono, dark, size)


def crm(c, k, ui, mono, dark, size):
    """A CRM's contact list: a coloured rail, avatars, deal pills, one selected row on a strong fill."""
    fg, bg, dim, panel, line, accent = palette(dark)
    rail, rail_ink = c.pick(FILLS[:6])
    sel, sel_ink = c.pick(FILLS[:6] if c.r.random() < 0.5 else FILLS[6:])
    extra = (f".rail{{position:fixed;left:0;top:0;bottom:0;width:120px;background:{rail};color:{rail_ink};padding:14px 10px}}"
             f".rail div{{margin:9px 0}} .main{{margin-left:132px;padding:12px 14px 0 0}}"
             f"table{{border-collapse:collapse;width:100%}} td,th{{border-bottom:1px solid {line};padding:4px 6px;text-align:left}}"
             f"th{{color:{dim};font-weight:500;font-size:{max(10, size - 2)}px}}"
             f".av{{display:inline-block;width:2.1em;height:2.1em;line-height:2.1em;border-radius:50%;text-align:center;font-size:{max(10, size - 2)}px}}"
             f"tr.sel td{{background:{sel};color:{sel_ink}}} tr.sel .g{{color:{sel_ink}}}"
             f".bar{{display:flex;gap:12px;align-items:center;margin-bottom:8px}} .search{{border:1px solid {line};border-radius:6px;padding:3px 10px;color:{dim};width:260px}}")
    body = [head(ui, mono, size, dark, extra), '<div class=rail><b>Pipeline</b>']
    body += [f'<div>{w}</div>' for w in ['Contacts', 'Companies', 'Deals', 'Tasks', 'Reports']]
    body.append(f'<div class=g style="color:{rail_ink}">v4.{c.r.randint(1, 19)}.{c.r.randint(0, 9)}</div></div><div class=main>')
    body.append(f'<div class=bar><b>Contacts</b><span class=search>Search {c.r.randint(200, 990)} contacts</span>'
                f'<span class=g>Updated {clock(c)[:5]}</span></div>')
    body.append('<table><tr><th></th><th>Name</th><th>E-mail</th><th>Phone</th><th>Deal</th><th>Stage</th></tr>')
    rows = c.r.randint(9, 11)
    picked = c.r.randrange(rows)
    for i in range(rows):
        fill, ink = c.pick(FILLS)
        who = name(c, k)
        company = c.pick(COMPANIES)
        body.append(f'<tr{" class=sel" if i == picked else ""}><td><span class=av style="background:{fill};color:{ink}">{initials(c, k)}</span></td>'
                    f'<td>{esc(who)}<div class=g>{esc(company)}</div></td><td class=g>{esc(c.email())}</td>'
                    f'<td>{esc(c.phone())}</td><td>{pill(c, c.money())}</td><td>{esc(c.pick(STAGES))}</td></tr>')
    body.append(f'</table><p class=g>Owner {esc(c.email())} · last sync from <code>{c.ip()}</code> on {date(c)}</p>'
                f'<p>Import key <code>{esc(c.key())}</code></p></div>')
    return tail(k, body)


def onboarding(c, k, ui, mono, dark, size):
    """An HR onboarding form: step pills, fields in boxes, emergency contacts as a bulleted list (its
    only phone numbers: four, one after each bullet), payroll amounts and a VPN key in a code box."""
    fg, bg, dim, panel, line, accent = palette(dark)
    step, step_ink = c.pick(FILLS[:6])
    extra = (f".wrap{{padding:14px 18px}} .steps span{{margin-right:8px}} .cols{{display:flex;gap:26px;margin-top:10px}}"
             f".col{{flex:1}} label{{display:block;color:{dim};font-size:{max(10, size - 3)}px;margin-top:7px}}"
             f".box{{border:1px solid {line};border-radius:6px;padding:3px 8px;margin-top:2px;background:{panel}}}"
             f"ul{{margin:4px 0 0 0;padding-left:22px}} li{{margin:3px 0}} li::marker{{color:{accent}}}"
             f".note{{margin-top:10px;padding:6px 10px;border-left:4px solid {step};background:{panel}}}")
    body = [head(ui, mono, size, dark, extra), '<div class=wrap>']
    body.append(f'<div><b>New hire onboarding</b> <span class=g>starts {date(c)}</span></div><div class=steps style="margin-top:6px">')
    for i, s in enumerate(['1 Personal', '2 Payroll', '3 Equipment', '4 Access']):
        style = f'background:{step};color:{step_ink}' if i < 2 else f'background:{panel};color:{dim}'
        body.append(f'<span class=p style="{style}">{s}</span>')
    body.append('</div><div class=cols><div class=col>')
    for label, value in [('Legal name', name(c, k)), ('Personal e-mail', c.email()), ('Work e-mail', c.email()),
                         ('Home address for the VPN allowlist', c.ip()), ('Manager', c.email())]:
        body.append(f'<label>{label}</label><div class=box>{esc(value)}</div>')
    body.append('<label>Emergency contacts</label><ul>')
    bullet = c.pick(['disc', 'circle', 'square', "'\u2013  '", "'\u2022  '"])
    for i in range(4):
        body.append(f'<li style="list-style-type:{bullet}">{esc(c.phone())}</li>')
    body.append('</ul></div><div class=col>')
    for label, value in [('Annual salary', c.money()), ('Signing bonus', c.money()), ('Corporate card', c.card()),
                         ('Relocation budget', c.money()), ('Payroll contact', c.email()), ('Laptop asset tag', f'LT-{c.digits(5)}')]:
        body.append(f'<label>{label}</label><div class="box{" m" if label == "Corporate card" else ""}">{esc(value)}</div>')
    body.append(f'<div class=note>VPN key: <code>{esc(c.key())}</code><br><span class=g>Questions? Write to '
                f'{esc(c.email())} before {date(c)}.</span></div></div></div></div>')
    return tail(k, body)


def dns(c, k, ui, mono, dark, size):
    """A hosting provider's dashboard: DNS records with record-type pills and a highlighted row,
    and a billing column with the card on file, invoices with status pills and an API token."""
    fg, bg, dim, panel, line, accent = palette(dark)
    hi, hi_ink = c.pick(FILLS[6:])
    domain = c.pick(c.s['tlds'])
    extra = (f".top{{background:{panel};padding:8px 16px;border-bottom:1px solid {line}}} .top span{{margin-right:16px}}"
             f".cols{{display:flex;gap:18px;padding:10px 16px}} .left{{flex:3}} .right{{flex:2}}"
             f"table{{border-collapse:collapse;width:100%}} td,th{{border-bottom:1px solid {line};padding:3px 6px;text-align:left}}"
             f"th{{color:{dim};font-weight:500}} tr.hi td{{background:{hi};color:{hi_ink}}}"
             f".card{{background:{panel};border:1px solid {line};border-radius:8px;padding:8px 10px;margin-bottom:10px}}"
             f".row{{display:flex;justify-content:space-between;margin:3px 0}}")
    body = [head(ui, mono, size, dark, extra)]
    body.append(f'<div class=top><b>{esc(domain)}</b><span class=g>DNS</span><span class=g>Servers</span>'
                f'<span class=g>Billing</span><span class=g>Region eu-{c.pick(["west", "central", "north"])}-{c.r.randint(1, 3)}</span></div>')
    body.append('<div class=cols><div class=left><table><tr><th>Type</th><th>Name</th><th>Value</th><th>TTL</th></tr>')
    rows = c.r.randint(8, 10)
    lit = c.r.randrange(rows)
    for i in range(rows):
        t = c.pick(['A', 'A', 'A', 'MX', 'TXT', 'CNAME', 'A'])
        sub = c.pick(['@', 'www', 'api', 'mail', 'vpn', 'staging', 'cdn', 'status'])
        if t == 'A':
            value = f'<span class=m>{c.ip()}</span>'
        elif t == 'MX':
            value = f'10 mx{c.r.randint(1, 3)}.{esc(domain)}'
        elif t == 'TXT':
            value = f'<span class=m>v=spf1 ip4:{c.ip()} -all</span>'
        else:
            value = f'{c.pick(["edge", "lb", "pages"])}.{esc(domain)}'
        body.append(f'<tr{" class=hi" if i == lit else ""}><td>{pill(c, t)}</td><td>{sub}</td><td>{value}</td>'
                    f'<td class=g>{c.pick([300, 600, 3600, 86400])}</td></tr>')
    body.append(f'</table><p class=g>Zone contact {esc(c.email())} · serial 2026{c.digits(6)}</p></div><div class=right>')
    body.append(f'<div class=card><b>Card on file</b><div class=m style="margin-top:4px">{esc(c.card())}</div>'
                f'<div class=g>expires 0{c.r.randint(1, 9)}/2{c.r.randint(7, 9)} · billed to {esc(c.email())}</div>'
                f'<div class=g style="margin-top:4px">Backup card</div><div class=m>{esc(c.card())}</div></div>')
    body.append('<div class=card><b>Invoices</b>')
    for i in range(c.r.randint(4, 5)):
        body.append(f'<div class=row><span class=g>INV-{c.digits(5)}</span><span>{esc(c.money())}</span>'
                    f'{pill(c, c.pick(["Paid", "Due", "Overdue", "Refunded"]))}</div>')
    body.append(f'</div><div class=card>Deploy keys<div style="margin-top:4px"><code>{esc(c.key())}</code></div>'
                f'<div style="margin-top:4px"><code>{esc(c.key())}</code></div></div>')
    body.append(f'<div class=card>API token <code>{esc(c.key())}</code><div class=g style="margin-top:4px">'
                f'Support line</div><div>{esc(c.phone())}</div></div></div></div>')
    return tail(k, body)


def members(c, k, ui, mono, dark, size):
    """A chat app: channels with unread pills, a channel of bubbles on saturated fills, and the
    member list with status dots and addresses in small grey print."""
    fg, bg, dim, panel, line, accent = palette(dark)
    mine, mine_ink = c.pick(FILLS)
    extra = (f".app{{display:flex;height:100vh}} .chan{{width:150px;background:{panel};padding:10px}} .chan div{{margin:6px 0}}"
             f".talk{{flex:1;padding:10px 14px;overflow:hidden}} .mem{{width:250px;border-left:1px solid {line};padding:10px}}"
             f".b{{border-radius:14px;padding:6px 11px;margin:4px 0 8px 0;width:max-content;max-width:100%}}"
             f".dot{{display:inline-block;width:8px;height:8px;border-radius:50%;margin-right:6px}} .who{{margin:7px 0}}")
    body = [head(ui, mono, size, dark, extra), '<div class=app><div class=chan><b>Workspace</b>']
    for ch in c.r.sample(CHANNELS, 5):
        count = pill(c, str(c.r.randint(1, 40))) if c.r.random() < 0.5 else ''
        body.append(f'<div># {ch} {count}</div>')
    body.append(f'</div><div class=talk><div class=g>Pinned: staging token <code>{esc(c.key())}</code></div>')
    for i in range(c.r.randint(5, 6)):
        them = c.r.random() < 0.5
        fill, ink = (panel, fg) if them else (mine, mine_ink)
        body.append(f'<div class=g>{esc(c.pick(k.first).title())} {clock(c)[:5]}</div>')
        say = c.pick([lambda: f'new box is {c.ip()}', lambda: f'refund {c.money()} approved',
                      lambda: f'ping {c.email()} about it', lambda: f'card on the order: {c.card()}',
                      lambda: f'token <code>{esc(c.key())}</code>', lambda: esc(c.email()), lambda: f'it came to {c.money()}'])()
        body.append(f'<div class=b style="background:{fill};color:{ink}">{say}</div>')
    body.append('</div><div class=mem><b>Members</b>')
    for i in range(c.r.randint(5, 6)):
        status = c.pick(['#22c55e', '#eab308', '#9ca3af', '#ef4444'])
        body.append(f'<div class=who><span class=dot style="background:{status}"></span>{esc(name(c, k))}'
                    f'<div class=g>{esc(c.email())}</div></div>')
    body.append(f'<div class=who style="background:{panel};padding:6px;border-radius:8px">On call this week<div>{esc(c.phone())}</div><div>{esc(c.phone())}</div></div></div></div>')
    return tail(k, body)


def logs(c, k, ui, mono, dark, size):
    """A log viewer: entries with level pills and a highlighted one, and its JSON in a pane beside."""
    fg, bg, dim, panel, line, accent = palette(dark)
    hi, hi_ink = c.pick(FILLS[:6])
    key_c, str_c = ('#93c5fd', '#fca5a5') if dark else ('#1e40af', '#9a3412')
    extra = (f".cols{{display:flex;height:100vh}} .list{{flex:3;padding:8px 10px;border-right:1px solid {line}}}"
             f".json{{flex:2;padding:8px 12px;background:{panel};font-family:'{mono}';white-space:pre;font-size:{max(10, size - 1)}px}}"
             f".e{{padding:3px 4px;border-bottom:1px solid {line};white-space:nowrap;overflow:hidden}} .e.hi{{background:{hi};color:{hi_ink}}}"
             f".e.hi .g{{color:{hi_ink}}} .jk{{color:{key_c}}} .js{{color:{str_c}}}")
    body = [head(ui, mono, size, dark, extra), '<div class=cols><div class=list>']
    body.append(f'<div style="margin-bottom:6px"><b>Logs</b> <span class=g>service=checkout · last 15 min · {c.r.randint(1200, 9000)} events</span></div>')
    n = c.r.randint(11, 13)
    lit = c.r.randrange(n)
    for i in range(n):
        lvl = c.pick(['INFO', 'WARN', 'ERROR', 'DEBUG'])
        what = c.pick([lambda: f'login ok from {c.ip()}', lambda: f'charge {c.money()} captured',
                       lambda: f'mail queued to {c.email()}', lambda: f'retry {c.r.randint(1, 5)}/5 after {c.r.randint(100, 900)} ms',
                       lambda: f'webhook signed with {c.key()}', lambda: f'declined card {c.card(True)}',
                       lambda: f'upstream {c.ip()}:{c.r.randint(1024, 9999)} slow'])()
        body.append(f'<div class="e{" hi" if i == lit else ""}"><span class=g>{clock(c)}.{c.digits(3)}</span> '
                    f'{pill(c, lvl)} <span class=m>{esc(what)}</span></div>')
    body.append('</div><div class=json>')
    fields = [('trace_id', hexid(c, 16)), ('client_ip', c.ip()), ('email', c.email()), ('amount', c.money()),
              ('card', c.card(True)), ('api_key', c.key()), ('version', f'{c.r.randint(1, 9)}.{c.r.randint(0, 30)}.{c.r.randint(0, 9)}'),
              ('forwarded_for', c.ip()), ('reply_to', c.email())]
    body.append('{')
    for i, (key, value) in enumerate(fields):
        comma = ',' if i < len(fields) - 1 else ''
        body.append(f'  <span class=jk>"{key}"</span>: <span class=js>"{esc(value)}"</span>{comma}')
    body.append('}</div></div>')
    return tail(k, body)


def orders(c, k, ui, mono, dark, size):
    """A shop's order admin: orders with payment pills and a highlighted row, and the open order's
    panel with the customer's phone number on a line of its own, the full card and the buyer's IP."""
    fg, bg, dim, panel, line, accent = palette(dark)
    hi, hi_ink = c.pick(FILLS[6:] if c.r.random() < 0.5 else FILLS[:6])
    extra = (f".cols{{display:flex;gap:14px;padding:12px 14px}} .left{{flex:3}} .right{{flex:2;background:{panel};"
             f"border-radius:10px;padding:10px 12px}} table{{border-collapse:collapse;width:100%}}"
             f"td,th{{border-bottom:1px solid {line};padding:4px 6px;text-align:left}} th{{color:{dim};font-weight:500}}"
             f"tr.hi td{{background:{hi};color:{hi_ink}}} tr.hi .g{{color:{hi_ink}}} .sec{{margin-top:8px;color:{dim};font-size:{max(10, size - 3)}px;text-transform:uppercase}}")
    body = [head(ui, mono, size, dark, extra), '<div class=cols><div class=left>']
    body.append(f'<div style="margin-bottom:6px"><b>Orders</b> <span class=g>{c.r.randint(20, 90)} open · shop v{c.r.randint(2, 6)}.{c.r.randint(0, 12)}</span></div>')
    body.append('<table><tr><th>Order</th><th>Customer</th><th>Total</th><th>Payment</th><th>Placed</th></tr>')
    n = c.r.randint(9, 11)
    lit = c.r.randrange(n)
    for i in range(n):
        body.append(f'<tr{" class=hi" if i == lit else ""}><td>#{c.r.randint(10000, 99999)}</td><td class=g>{esc(c.email())}</td>'
                    f'<td>{esc(c.money())}</td><td>{pill(c, c.pick(["Paid", "Pending", "Refunded", "Failed"]))}</td>'
                    f'<td class=g>{date(c)[:6]}</td></tr>')
    body.append('</table></div><div class=right>')
    body.append(f'<b>Order #{c.r.randint(10000, 99999)}</b> {pill(c, "Paid")}')
    body.append(f'<div class=sec>Customer</div><div>{esc(name(c, k))}</div><div class=g>{esc(c.email())}</div><div>{esc(c.phone())}</div>')
    body.append(f'<div class=sec>Ship to</div><div>{esc(name(c, k))}</div><div>{esc(c.phone())}</div>')
    body.append(f'<div class=sec>Payment</div><div class=m>{esc(c.card())}</div><div>Subtotal {esc(c.money())}</div>'
                f'<div>Shipping {esc(c.money())}</div><div><b>Total {esc(c.money())}</b></div>')
    body.append(f'<div class=sec>Risk</div><div class=g>Placed from {c.ip()} · {date(c)} {clock(c)[:5]}</div>'
                f'<div style="margin-top:6px">Note: <code>{esc(c.key())}</code></div>'
                f'<div class=sec>Webhook secret</div><div class=m>{esc(c.key())}</div></div></div>')
    return tail(k, body)


# The shell sessions: a prompt, then blocks of commands and their output, drawn at random.

def cash(c):
    # The Latin-1 bitmap faces have no euro sign.
    return c.money().replace('\u20ac', '\u00a3')


def heldk_session(c, k, hosts):
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~$ '
    # One block of records first (rows of payments, an on-call list or a domain's registrant), so
    # that every shot holds cards or phone numbers; then others at random.
    first = c.pick([psql, psql, contacts, whois])
    blocks = [journal, kube, psql, env, gitlog, sshconf, dig, contacts, ledger, ipaddr, disks, curl, whois]
    lines = first(c, k, prompt, host) + creds(c, k, prompt, host)
    for block in c.r.sample([b for b in blocks if b is not first], 4):
        lines += block(c, k, prompt, host)
        if len(lines) > 22:
            break
    return lines + [prompt + c.pick(['clear', 'exit', 'history | tail -3', 'uptime'])]


def creds(c, k, prompt, host):
    return [prompt + 'cat ~/.config/relay/credentials', '[default]', f'token = {c.key()}', f'secret = {c.key()}',
            f'region = eu-{c.pick(["west", "central"])}-{c.r.randint(1, 3)}']


def journal(c, k, prompt, host):
    unit = c.pick(['payments', 'nginx', 'mailer', 'sshd'])
    out = [prompt + f'journalctl -u {unit} -n 4 --no-pager']
    for i in range(4):
        stamp = f'Dec 0{c.r.randint(1, 9)} {clock(c)} {host} {unit}[{c.r.randint(300, 32000)}]:'
        out.append(stamp + ' ' + c.pick([lambda: f'Accepted publickey for deploy from {c.ip()} port {c.r.randint(30000, 65000)}',
                                         lambda: f'charge captured amount={cash(c)} card={c.card(True)}',
                                         lambda: f'delivered to <{c.email()}> in {c.r.randint(20, 900)} ms',
                                         lambda: f'upstream {c.ip()}:443 timed out after 30s'])())
    return out


def kube(c, k, prompt, host):
    pod = f'{c.pick(["api", "billing", "worker"])}-{hexid(c, 9)}-{c.chars(5, "bcdfghjklmnpqrstvwxz2456789")}'
    return [prompt + f'kubectl describe pod {pod} | head -9',
            f'Name:         {pod}', f'Namespace:    {c.pick(["prod", "billing", "staging"])}',
            f'Node:         node-{c.r.randint(1, 9)}/{c.ip()}', f'Start Time:   Tue, 09 Dec 2026 {clock(c)} +0000',
            f'IP:           {c.ip()}', f'Image:        registry.local/app:v{c.r.randint(1, 4)}.{c.r.randint(0, 20)}.{c.r.randint(0, 9)}',
            f'    SMTP_FROM:     {c.email()}', f'    PAYMENT_KEY:   {c.key()}', f'    REPLICAS:      {c.r.randint(2, 6)}']


def psql(c, k, prompt, host):
    rows = [(c.r.randint(1000, 99999), c.email(), cash(c), c.card(True)) for i in range(4)]
    w = max(len(r[1]) for r in rows)
    out = [prompt + 'psql -d shop -c "select id, email, total, card from payments limit 4"',
           f'  id   | {"email":^{w}} |    total    |       card',
           f'-------+-{"-" * w}-+-------------+------------------']
    out += [f' {n:>5} | {mail:<{w}} | {money:>11} | {card}' for n, mail, money, card in rows]
    out.append('(4 rows)')
    return out


def env(c, k, prompt, host):
    return [prompt + 'env | grep -E "MAIL|KEY|HOST|URL" | sort',
            f'ADMIN_MAIL={c.email()}', f'API_KEY={c.key()}', f'DB_HOST={c.ip()}',
            f'REDIS_URL=redis://{c.ip()}:6379/0', f'SENDER_KEY={c.key()}', f'SHELL=/bin/bash', f'TERM=xterm-256color']


def gitlog(c, k, prompt, host):
    out = [prompt + 'git log -3 --format="%h %ad %ae %s" --date=short']
    for i in range(3):
        # A short hash ends in a letter: digits before the date would read as a card number.
        out.append(f'{hexid(c, 6)}{c.pick("abcdef")} 2026-{c.r.randint(1, 12):02d}-{c.r.randint(1, 28):02d} {c.email()} '
                   f'{c.pick(["Fix retry on timeout", "Bump version to", "Add invoice export", "Drop old cache"])}'
                   f'{" " + str(c.r.randint(2, 9)) + "." + str(c.r.randint(0, 30)) + ".0" if i == 1 else ""}')
    return out


def sshconf(c, k, prompt, host):
    return [prompt + 'cat ~/.ssh/config', f'Host {c.pick(["bastion", "db", "gpu-box"])}', f'    HostName {c.ip()}',
            f'    User {c.pick(k.first)}', f'    Port {c.r.randint(2200, 2299)}', '    IdentityFile ~/.ssh/id_ed25519',
            f'Host backup', f'    HostName {c.ip()}', '    ProxyJump bastion']


def dig(c, k, prompt, host):
    name = f'{c.pick(["api", "mail", "www", "vpn"])}.{c.pick(c.s["tlds"])}'
    return [prompt + f'dig +noall +answer +stats {name}', f'{name}.   300   IN   A   {c.ip()}',
            f'{name}.   300   IN   A   {c.ip()}', f';; SERVER: {c.ip()}#53 (UDP)',
            f';; WHEN: Tue Dec 09 {clock(c)} UTC 2026', f';; Query time: {c.r.randint(2, 90)} msec']


def contacts(c, k, prompt, host):
    out = [prompt + "column -t -s, oncall.csv"]
    for i in range(4):
        who = c.pick(k.first)
        out.append(f'{who:<9}   {c.phone():<17}   {c.email()}')
    return out


def ledger(c, k, prompt, host):
    out = [prompt + 'ledger bal --flat Expenses']
    for acct in c.r.sample(['Expenses:Hosting', 'Expenses:Payroll', 'Expenses:Travel', 'Expenses:Office', 'Expenses:Software'], 3):
        out.append(f'{cash(c):>14}   {acct}')
    out += ['--------------', f'{cash(c):>14}']
    return out


def ipaddr(c, k, prompt, host):
    return [prompt + 'ip -br addr', 'lo               UNKNOWN        ::1/128',
            f'eth0             UP             {c.ip()}/24', f'wg0              UNKNOWN        {c.ip()}/32']


def disks(c, k, prompt, host):
    return [prompt + 'df -h / /srv', 'Filesystem      Size  Used Avail Use% Mounted on',
            f'/dev/nvme0n1p2  468G  {c.r.randint(100, 400)}G  {c.r.randint(40, 300)}G  {c.r.randint(10, 90)}% /',
            f'/dev/sdb1       1.8T  {c.r.randint(1, 9)}00G  1.{c.r.randint(0, 7)}T  {c.r.randint(10, 60)}% /srv',
            prompt + 'uptime', f' {clock(c)} up {c.r.randint(2, 300)} days,  2 users,  load average: 0.{c.digits(2)}, 0.{c.digits(2)}, 0.{c.digits(2)}']


def curl(c, k, prompt, host):
    return [prompt + 'curl -s localhost:8080/v1/me | jq -c .',
            f'{{"id":{c.r.randint(100, 9999)},"email":"{c.email()}","plan":"team","balance":"{cash(c)}"}}',
            f'{{"token":"{c.key()}","ip":"{c.ip()}","card":"{c.card(True)}"}}']


def whois(c, k, prompt, host):
    domain = c.pick(c.s['tlds'])
    return [prompt + f'whois {domain} | grep -i registrant', f'Registrant Name:    {c.pick(k.first).title()} {c.pick(k.last).title()}',
            f'Registrant Email:   {c.email()}', f'Registrant Phone:   {c.phone()}', f'Registrant Fax:     {c.phone()}',
            f'Updated Date:       2026-{c.r.randint(1, 12):02d}-{c.r.randint(1, 28):02d}T{clock(c)}Z']
