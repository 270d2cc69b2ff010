# Page templates of the l- tuning shots, for scripts/render-real-shots (`pay` templates): card
# numbers, amounts and phone numbers where shops and banks show them. A checkout form with a card
# field beside its order summary, bank card widgets, an invoice with line items and totals in a
# table of tabular figures, a billing settings page, a payment history with highlighted rows, a
# refund dialog, a shipping page with phone numbers and amounts in pills on saturated fills. Cards
# come with blanks, dashes or neither; amounts with $, £ and € before or after, thousands
# separators, negative, and in small grey print.
from real_shot_templates import esc, wrap


def theme(dark):
    # fg, bg, dim (small grey print), panel, field fill, rule
    if dark:
        return '#ececf1', '#131316', '#9b9ba5', '#1f1f24', '#2a2a31', '#3b3b44'
    return '#1a1a1f', '#ffffff', '#6e6e78', '#f4f4f6', '#ffffff', '#d6d6dc'


def amount(c, big=False):
    """An amount as shops print it: the sign before or after, a separator, cents or none."""
    sign = c.pick(['$', '$', '£', '€', '€'])
    whole = c.r.randint(1, 999) if c.r.random() < 0.5 else c.r.randint(1000, 999999 if big else 99999)
    text = f'{whole:,}' + (f'.{c.digits(2)}' if c.r.random() < 0.85 else '')
    if sign == '€' and c.r.random() < 0.5:
        return text + c.pick([' €', '€'])
    return sign + text


def signed(c):
    a = amount(c)
    return c.pick(['-' + a, '\u2212' + a, f'({a})', '+' + a, a])


def card(c):
    """A card number written with blanks, dashes or neither, Amex's 4-6-5 grouping too."""
    k = c.r.randrange(4)
    if k == 3:
        return ' '.join(['3' + c.pick(['4', '7']) + c.digits(2), c.digits(6), c.digits(5)])
    return c.card(plain=(k == 0))


def masked(c):
    return c.pick(['•••• ' + c.digits(4), '**** **** **** ' + c.digits(4), 'ending in ' + c.digits(4)])


def name(c, k):
    return f'{c.pick(k.first).title()} {c.pick(k.last).title()}'


def item(c, k):
    return f'{c.pick(k.words).title()} {c.pick(["kit", "pack", "plan", "cable", "licence", "seat", "add-on"])}'


def date(c):
    return f'{c.r.randint(1, 28)} {c.pick(["Jan", "Feb", "Mar", "Apr", "May", "Jun"])} 2026'


HUES = ['#dc2626', '#2563eb', '#16a34a', '#9333ea', '#ea580c', '#0891b2', '#db2777', '#ca8a04']


def pay_page(c, k, kind, ui, mono, dark, size):
    fg, bg, dim, panel, field, rule = theme(dark)
    small = c.pick([10, 11, 12])
    hot = c.pick(HUES)
    style = (f"body{{margin:14px;background:{bg};color:{fg};font:{size}px '{ui}';overflow:hidden}}"
             f".mono{{font-family:'{mono}'}} .dim{{color:{dim};font-size:{small}px}}"
             f".r{{text-align:right;font-variant-numeric:tabular-nums}} .panel{{background:{panel};border-radius:10px;padding:10px 14px}}"
             f".field{{background:{field};border:1px solid {rule};border-radius:6px;padding:6px 9px;margin:3px 0 8px;width:max-content;min-width:200px}}"
             f"label{{display:block;font-size:{small + 1}px;color:{dim}}}"
             f".pill{{display:inline-block;border-radius:999px;padding:2px 10px;color:#ffffff;font-size:{small + 1}px}}"
             f"table{{border-collapse:collapse}} td,th{{padding:4px 10px;border-bottom:1px solid {rule};text-align:left}}"
             f".neg{{color:{'#f87171' if dark else '#b91c1c'}}}")
    body = []
    if kind == 'checkout':
        body.append('<div style="display:flex;gap:30px"><div><h3 style="margin:2px 0 8px">Payment</h3>')
        for label, value, face in [('Name on card', name(c, k), ''), ('Card number', card(c), ' mono' if c.r.random() < 0.5 else ''),
                                   ('Expiry', f'{c.r.randint(1, 12):02}/{c.r.randint(27, 31)}', ''),
                                   ('Phone', c.phone(), ''), ('Billing e-mail', c.email(), '')]:
            body.append(f'<label>{label}</label><div class="field{face}">{esc(value)}</div>')
        body.append(f'<div class=pill style="background:{hot};padding:6px 16px">Pay {esc(amount(c))}</div></div>')
        body.append('<div class=panel style="width:300px"><b>Order summary</b><table style="width:100%;margin-top:6px">')
        for i in range(4):
            body.append(f'<tr><td>{esc(item(c, k))}<div class=dim>x{c.r.randint(1, 3)}</div></td><td class=r>{esc(amount(c))}</td></tr>')
        for label in ['Subtotal', 'Shipping', 'Discount', 'Total']:
            value = '-' + amount(c) if label == 'Discount' else amount(c)
            weight = 'font-weight:700' if label == 'Total' else ''
            body.append(f'<tr style="{weight}"><td>{label}</td><td class=r>{esc(value)}</td></tr>')
        body.append('</table></div></div>')
    elif kind == 'cards':
        # Bank card widgets on saturated gradients, numbers large with wide gaps.
        body.append('<div style="display:flex;flex-wrap:wrap;gap:16px">')
        for i in range(4):
            a, b = c.pick(HUES), c.pick(HUES)
            body.append(f'<div style="width:330px;height:190px;border-radius:14px;padding:16px 20px;box-sizing:border-box;'
                        f'background:linear-gradient(135deg,{a},{b});color:#ffffff;position:relative">'
                        f'<div style="font-size:{small + 2}px">{c.pick(["Debit", "Credit", "Business", "Virtual"])} · {c.pick(k.words).title()} Bank</div>'
                        f'<div style="font-size:{c.pick([17, 19, 21])}px;letter-spacing:{c.pick([0, 1, 2])}px;margin-top:44px;'
                        f'{"font-family:" + chr(39) + mono + chr(39) if c.r.random() < 0.4 else ""}">{esc(card(c))}</div>'
                        f'<div style="display:flex;justify-content:space-between;margin-top:18px;font-size:{small + 2}px">'
                        f'<span>{esc(name(c, k).upper())}</span><span>{c.r.randint(1, 12):02}/{c.r.randint(27, 31)}</span></div></div>')
        body.append(f'</div><p class=dim>Balance {esc(amount(c, True))} · limit {esc(amount(c, True))} · support {esc(c.phone())}</p>')
    elif kind == 'invoice':
        body.append(f'<div style="display:flex;justify-content:space-between"><div><h2 style="margin:0">Invoice {c.digits(6)}</h2>'
                    f'<div class=dim>Issued {date(c)} · due {date(c)}</div></div>'
                    f'<div class="dim r">{esc(name(c, k))}<br>{esc(c.email())}</div></div>'
                    f'<table style="margin-top:10px;width:100%"><tr><th>Item</th><th class=r>Qty</th><th class=r>Unit</th><th class=r>Amount</th></tr>')
        for i in range(7):
            body.append(f'<tr><td>{esc(item(c, k))}</td><td class=r>{c.r.randint(1, 20)}</td><td class=r>{esc(amount(c))}</td>'
                        f'<td class=r>{esc(amount(c))}</td></tr>')
        for label in ['Subtotal', 'VAT 20%', 'Credit applied', 'Amount due']:
            value = signed(c) if label == 'Credit applied' else amount(c)
            body.append(f'<tr><td></td><td></td><td class=r>{label}</td><td class=r style="font-weight:600">{esc(value)}</td></tr>')
        body.append(f'</table><p class=dim>Paid by card {esc(card(c))} · questions {esc(c.phone())}</p>')
    elif kind == 'billing':
        body.append(f'<h3 style="margin:2px 0">Billing</h3><div class=panel style="margin:8px 0;width:560px">'
                    f'<div>{c.pick(["Pro", "Team", "Business"])} plan · <b>{esc(amount(c))}</b>{c.pick(["/mo", " per month", "/yr"])}</div>'
                    f'<div class=dim>Next charge {esc(amount(c))} on {date(c)}</div></div><b>Payment methods</b>')
        for i in range(3):
            tag = f'<span class=pill style="background:{hot}">Default</span>' if i == 0 else ''
            shown = card(c) if c.r.random() < 0.7 else masked(c)
            body.append(f'<div style="display:flex;gap:14px;align-items:center;padding:6px 0;border-bottom:1px solid {rule}">'
                        f'<span>{c.pick(["Visa", "Mastercard", "Amex", "Discover"])}</span><span class=mono>{esc(shown)}</span>'
                        f'<span class=dim>expires {c.r.randint(1, 12):02}/{c.r.randint(27, 31)}</span>{tag}</div>')
        body.append(f'<p>Billing contact {esc(c.email())}</p><div><label>Phone for receipts</label>'
                    f'<div class=field>{esc(c.phone())}</div></div><p class=dim>Credit balance {esc(signed(c))}</p>')
    elif kind == 'history':
        sel = c.pick(HUES)
        picked = {c.r.randrange(9), c.r.randrange(9)}
        body.append('<table style="width:100%"><tr><th>Date</th><th>Description</th><th>Card</th><th>Status</th><th class=r>Amount</th></tr>')
        for i in range(9):
            lit = f' style="background:{sel};color:#ffffff"' if i in picked else ''
            status = c.pick([('Paid', '#16a34a'), ('Refunded', '#6b7280'), ('Failed', '#dc2626'), ('Pending', '#ca8a04')])
            value = ('-' if status[0] == 'Refunded' else '') + amount(c)
            body.append(f'<tr{lit}><td class=dim style="color:inherit">{date(c)}</td><td>{esc(item(c, k))}</td>'
                        f'<td class=mono>{esc(card(c))}</td><td><span class=pill style="background:{status[1]}">{status[0]}</span></td>'
                        f'<td class=r>{esc(value)}</td></tr>')
        body.append('</table>')
    elif kind == 'refund':
        body.append(f'<div style="background:{"#000000aa" if dark else "#00000055"};position:absolute;inset:0"></div>'
                    f'<div style="position:absolute;left:140px;top:60px;width:520px;background:{panel};border-radius:12px;padding:18px 22px;'
                    f'box-shadow:0 8px 30px #0006"><h3 style="margin:0 0 8px">Refund payment</h3>'
                    f'<table style="width:100%"><tr><td class=dim>Original charge</td><td class=r>{esc(amount(c))}</td></tr>'
                    f'<tr><td class=dim>Already refunded</td><td class="r neg">{esc("-" + amount(c))}</td></tr>'
                    f'<tr><td class=dim>Card</td><td class="r mono">{esc(card(c))}</td></tr>'
                    f'<tr><td class=dim>Customer</td><td class=r>{esc(c.email())}</td></tr></table>'
                    f'<label style="margin-top:10px">Refund amount</label><div class=field>{esc(amount(c))}</div>'
                    f'<div class=dim>Fee kept {esc(amount(c))}. Call {esc(c.phone())} with questions.</div>'
                    f'<div style="margin-top:12px;text-align:right"><span class=pill style="background:{hot};padding:6px 14px">'
                    f'Refund {esc(amount(c))}</span></div></div>')
        body.append(f'<h3 style="margin:2px 0">Payments</h3><p>{esc(name(c, k))} paid {esc(amount(c))}</p>')
    elif kind == 'shipping':
        body.append('<div style="display:grid;grid-template-columns:repeat(2,430px);gap:12px">')
        for i in range(4):
            body.append(f'<div class=panel><b>{esc(name(c, k))}</b><div>{c.r.randint(2, 999)} {c.pick(k.words).title()} Street</div>'
                        f'<div style="display:flex;gap:24px;margin-top:4px"><span>{esc(c.phone())}</span>'
                        f'<span class=dim>{c.pick(["Mobile", "Work", "Home"])}</span></div>'
                        f'<div style="display:flex;gap:24px;margin-top:4px"><span>{c.pick(["Standard", "Express", "Overnight"])}</span>'
                        f'<span class=r style="margin-left:auto">{esc(amount(c))}</span></div></div>')
        body.append(f'</div><p>Courier desk</p><div class=field>{esc(c.phone())}</div>'
                    f'<p class=dim>Insured up to {esc(amount(c, True))}. Duties {esc(amount(c))} paid by {esc(c.email())}.</p>')
    else:  # pills: amounts in badges on saturated fills
        body.append('<h3 style="margin:2px 0 8px">Payouts</h3>')
        for i in range(8):
            fill = c.pick(HUES)
            body.append(f'<div style="display:flex;gap:14px;align-items:center;padding:5px 0;border-bottom:1px solid {rule}">'
                        f'<span style="width:160px">{esc(item(c, k))}</span>'
                        f'<span class=pill style="background:{fill};font-size:{c.pick([11, 12, 13, 14])}px">{esc(signed(c))}</span>'
                        f'<span class=dim>{date(c)}</span><span class=mono style="margin-left:auto">{esc(card(c))}</span></div>')
        body.append(f'<p>Total paid out <span class=pill style="background:{hot}">{esc(amount(c, True))}</span></p>')
    return wrap(k, style, body)
