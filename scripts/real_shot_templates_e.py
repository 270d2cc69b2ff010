# A shell session for tuning shots of terminals in faces never tuned on, for scripts/render-real-shots:
# addresses and sockets, a JSON reply, a SQL client's columns, services, an .env file and a short git
# log, laid out as those programs lay them out (columns, brackets, pipes, key=value pairs).


def probe_session(c, k, hosts):
    user, host = c.pick(k.first), c.pick(hosts)
    prompt = f'{user}@{host}:~$ '
    port = lambda: c.r.randint(1024, 65000)  # noqa: E731
    # The X core fonts drawn here have no euro sign (xterm leaves a blank or a block): dollars instead.
    money = lambda: c.money().replace('€', '$')  # noqa: E731
    lines = [prompt + 'ip -br addr', 'lo               UNKNOWN        127.0.0.1/8',
             f'eth0             UP             {c.ip()}/24', f'wg0              UNKNOWN        {c.ip()}/32']
    lines += [prompt + 'ss -tn | head -3', 'State   Recv-Q  Send-Q  Local Address:Port     Peer Address:Port']
    for i in range(2):
        lines.append(f'ESTAB   0       0       {c.ip() + ":" + str(port()):<22}  {c.ip()}:443')
    lines += [prompt + f'curl -s https://api.{c.pick(k.words)}/v1/me | jq .', '{',
              f'  "id": {c.r.randint(100, 99999)},', f'  "email": "{c.email()}",',
              f'  "phone": "{c.phone()}",', f'  "balance": "{money()}",', f'  "token": "{c.key()}"', '}']
    # A SQL client's columns, three blanks apart: each cell is a run of its own, as the detector parts them.
    lines += [prompt + 'sqlite3 -column shop.db "select name, phone, total from orders limit 3"',
              'name      phone              total', '--------  -----------------  ---------']
    for i in range(3):
        lines.append(f'{c.pick(k.first):<7}   {c.phone():<16}   {money()}')
    lines += [prompt + 'kubectl get svc', 'NAME        TYPE           CLUSTER-IP     EXTERNAL-IP     PORT(S)']
    for i in range(2):
        lines.append(f'{c.pick(k.words):<11} LoadBalancer   {c.ip():<15}  {c.ip():<16}443/TCP')
    lines += [prompt + 'cat .env', f'SMTP_FROM={c.email()}', f'API_KEY={c.key()}',
              f'CARD_ON_FILE={c.card()}', f'ALERT_SMS={c.phone()}']
    lines += [prompt + 'git log --format="%h %ae %s" -2']
    for i in range(2):
        lines.append(f'{c.chars(7, "0123456789abcdef")} {c.email()} {c.pick(k.words)}: {c.pick(k.words)}')
    lines += [prompt]
    return lines
