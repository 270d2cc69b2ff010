# Page templates of the k- tuning shots, for scripts/render-real-shots: money amounts, access keys
# and e-mail addresses where real pages put them. A shop cart with its receipt, a bank statement
# with debit and credit columns, a pricing table, a dashboard of cards with big figures, an API-keys
# settings page, a team page, a mail client's list and chat bubbles. Amounts come in dollars, euros
# and pounds, with and without a blank after the sign, with thousands separators and negative.
from real_shot_templates import esc, wrap


def theme(dark):
    # fg, bg, dim (small grey print), card, key box fill, rule
    if dark:
        return '#e6e6e6', '#16181d', '#9aa0a6', '#23262d', '#2f333b', '#3a3f47'
    return '#202124', '#ffffff', '#70757a', '#f1f3f4', '#e8eaed', '#dadce0'


def amount(c, big=False):
    """An amount as shops, banks and dashboards print it."""
    sign = c.pick(['$', '$', '€', '£'])
    whole = c.r.randint(1, 999) if c.r.random() < 0.5 else c.r.randint(1000, 99999 if not big else 9999999)
    text = f'{whole:,}'
    if c.r.random() < 0.8:
        text += f'.{c.digits(2)}'
    gap = ' ' if sign == '€' and c.r.random() < 0.3 else ''
    return f'{sign}{gap}{text}'


def signed(c):
    """An amount with its sign, as statements print debits and credits."""
    a = amount(c)
    k = c.r.randrange(5)
    if k == 0:
        return '-' + a
    if k == 1:
        return '\u2212' + a
    if k == 2:
        return f'({a})'
    if k == 3:
        return '+' + a
    return a


def access_key(c):
    k = c.r.randrange(4)
    if k == 0:
        return 'AKIA' + c.chars(16, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567')
    if k == 1:
        return 'AKIA' + c.chars(16, 'AKIOQ01IL7SZ5B8XYZ')
    return c.key()


def probe_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, card, box, rule = theme(dark)
    small = c.pick([10, 11, 12])
    style = (f"body{{margin:14px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
             f".mono{{font-family:'{mono}'}} .dim{{color:{dim};font-size:{small}px}} .r{{text-align:right}}"
             f".card{{background:{card};border-radius:10px;padding:10px 14px}}"
             f"table{{border-collapse:collapse}} td,th{{padding:3px 10px;border-bottom:1px solid {rule};text-align:left}}"
             f".neg{{color:{'#f28b82' if dark else '#c5221f'}}} .pos{{color:{'#81c995' if dark else '#137333'}}}")
    body = []
    if kind == 'cart':
        body.append('<div style="display:flex;gap:28px"><div><h3 style="margin:4px 0">Your cart</h3><table>')
        for i in range(6):
            item = f'{c.pick(k.words).title()} {c.pick(["kit", "pack", "plan", "cable", "licence"])}'
            body.append(f'<tr><td>{esc(item)}</td><td class=dim>x{c.r.randint(1, 4)}</td>'
                        f'<td class=r>{esc(amount(c))}</td></tr>')
        body.append(f'<tr><td>Coupon</td><td></td><td class="r neg">{esc("-" + amount(c))}</td></tr></table>'
                    f'<p class=dim>Receipt goes to {esc(c.email())}</p></div>')
        body.append(f'<div class="card mono" style="font-size:{size - 1}px;line-height:1.5">RECEIPT #{c.digits(6)}')
        for label in ['Subtotal', 'Shipping', 'Tax', 'Discount', 'TOTAL']:
            value = signed(c) if label == 'Discount' else amount(c)
            body.append(f'<div style="white-space:pre">{label:<10}{esc(value):>14}</div>')
        body.append(f'<div>Paid {esc(amount(c))} by card</div><div>{esc(c.email())}</div></div></div>')
    elif kind == 'statement':
        body.append(f'<h3 style="margin:4px 0">Current account</h3><div class=dim>Balance {esc(amount(c))} · '
                    f'available {esc(amount(c))}</div><table style="margin-top:6px"><tr><th>Date</th><th>Description</th>'
                    f'<th class=r>Debit</th><th class=r>Credit</th><th class=r>Balance</th></tr>')
        for i in range(11):
            what = c.pick([f'Card payment {c.pick(k.words)}', f'Transfer to {c.email()}', 'Direct debit',
                           f'Refund {c.pick(k.words)}', 'Salary', f'ATM {c.pick(k.words)}'])
            debit, credit = ('-' if c.r.random() < 0.5 else '') + amount(c), ''
            if c.r.random() < 0.4:
                debit, credit = '', '+' + amount(c) if c.r.random() < 0.5 else amount(c)
            body.append(f'<tr><td class=dim>{c.r.randint(1, 28)} {c.pick(["Jan", "Feb", "Mar", "Apr"])}</td>'
                        f'<td>{esc(what)}</td><td class="r neg">{esc(debit)}</td><td class="r pos">{esc(credit)}</td>'
                        f'<td class=r>{esc(signed(c))}</td></tr>')
        body.append('</table>')
    elif kind == 'pricing':
        hot = c.pick(['#1a73e8', '#d93025', '#188038', '#9334e6', '#e8710a'])
        body.append('<div style="display:flex;gap:14px;align-items:flex-start">')
        for i, name in enumerate(['Starter', 'Team', 'Business']):
            lit = f'background:{hot};color:#ffffff' if i == 1 else ''
            per = c.pick(['/mo', '/month', ' per seat', '/yr'])
            body.append(f'<div class=card style="width:190px;{lit}"><div>{name}</div>'
                        f'<div style="font-size:{c.pick([26, 30, 34])}px;font-weight:600">{esc(amount(c))}</div>'
                        f'<div style="font-size:{small}px">{esc(per)} · billed {esc(amount(c))}</div><ul style="padding-left:16px">')
            for j in range(3):
                body.append(f'<li>{c.r.randint(2, 90)} {c.pick(k.words)}s, then {esc(amount(c))} each</li>')
            body.append(f'</ul><div style="font-size:{small}px">Questions: {esc(c.email())}</div></div>')
        body.append(f'</div><p class=dim>Prices exclude VAT. Enterprise from {esc(amount(c))}; write to {esc(c.email())}.</p>')
    elif kind == 'dashboard':
        body.append('<div style="display:grid;grid-template-columns:repeat(3,220px);gap:12px">')
        for i in range(6):
            trend = c.pick(['pos', 'neg'])
            delta = ('+' if trend == 'pos' else '-') + amount(c)
            body.append(f'<div class=card><div class=dim>{esc(c.pick(k.words).title())} {c.pick(["revenue", "spend", "payouts", "refunds"])}</div>'
                        f'<div style="font-size:{c.pick([24, 28, 32])}px;font-weight:{c.pick([400, 600, 700])}">{esc(amount(c, True))}</div>'
                        f'<div class={trend} style="font-size:{small}px">{esc(delta)} vs last month</div></div>')
        body.append(f'</div><p>Top customer {esc(c.email())} spent {esc(amount(c))}; owner {esc(c.email())}.</p>')
    elif kind == 'apikeys':
        grey = c.pick(['#e8eaed', '#f1f3f4', '#eceff1']) if not dark else c.pick(['#2f333b', '#3c4043'])
        body.append(f'<h3 style="margin:4px 0">API keys</h3><div class=dim>Owner {esc(c.email())}</div>')
        for i in range(5):
            body.append(f'<div style="background:{grey};border-radius:8px;padding:8px 12px;margin:8px 0;width:max-content">'
                        f'<div class=dim>{c.pick(["Production", "Staging", "CI", "Read-only"])} · created {c.r.randint(1, 28)} Mar</div>'
                        f'<span class=mono style="font-size:{size + c.pick([0, 1, 3])}px;background:{box};border:1px solid {rule};'
                        f'border-radius:4px;padding:2px 6px">{esc(access_key(c))}</span></div>')
    elif kind == 'team':
        body.append('<h3 style="margin:4px 0">Team</h3><div style="display:grid;grid-template-columns:repeat(3,230px);gap:14px 18px">')
        grey = c.pick(['#80868b', '#9aa0a6', '#5f6368'])
        for i in range(9):
            name = f'{c.pick(k.first).title()} {c.pick(k.last).title()}'
            body.append(f'<div><div style="font-weight:600">{esc(name)}</div>'
                        f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px">{esc(c.pick(k.words).title())} lead</div>'
                        f'<div style="color:{grey};font-size:{c.pick([10, 11, 12])}px">{esc(c.email())}</div></div>')
        body.append('</div>')
    elif kind == 'mail':
        sel = c.pick(['#1a73e8', '#c2e7ff', '#fde293', '#0b8043'])
        ink = '#ffffff' if sel in ('#1a73e8', '#0b8043') else '#202124'
        picked = c.r.randrange(10)
        for i in range(10):
            lit = f'background:{sel};color:{ink}' if i == picked else f'border-bottom:1px solid {rule}'
            subject = c.pick([f'Invoice {c.digits(5)}: {amount(c)} due', f'Refund of {amount(c)} sent',
                              f'Your key {access_key(c)}', f'Re: {c.pick(k.words)} budget {amount(c)}',
                              f'{c.pick(k.words).title()} weekly report'])
            body.append(f'<div style="display:flex;gap:14px;padding:5px 8px;{lit}"><span style="width:230px">{esc(c.email())}</span>'
                        f'<span>{esc(subject)}</span><span style="margin-left:auto;font-size:{small}px">{c.r.randint(1, 12)}:{c.digits(1)}5</span></div>')
    else:  # chat: bubbles in saturated hues
        hues = [('#e11d48', '#fecdd3'), ('#0891b2', '#a5f3fc'), ('#65a30d', '#d9f99d'), ('#c026d3', '#f5d0fe'),
                ('#d97706', '#fde68a'), ('#4f46e5', '#c7d2fe'), ('#059669', '#a7f3d0')]
        for i in range(9):
            deep, pale = c.pick(hues)
            fill, ink = (deep, '#ffffff') if c.r.random() < 0.6 else (pale, c.pick(['#111827', '#3b0764']))
            said = c.pick([f'that was {amount(c)} in total', f'I paid {signed(c)}', f'mail {c.email()} about it',
                           f'use {access_key(c)}', f'{amount(c)} each, {amount(c)} for both', c.email()])
            body.append(f'<div style="background:{fill};color:{ink};border-radius:16px;padding:7px 12px;margin:5px 0;'
                        f'width:max-content;font-size:{c.pick([13, 14, 15])}px;{"margin-left:auto" if c.r.random() < 0.5 else ""}">'
                        f'{esc(said)}</div>')
    return wrap(k, style, body)
