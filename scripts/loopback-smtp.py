#!/usr/bin/python3
"""A mail server on 127.0.0.1 for the tests and the demo (python3-aiosmtpd).

  loopback-smtp.py --spool DIR [--port N] [--cert CERT --key KEY] [--user U --password P]

With a certificate it offers STARTTLS and requires it; with a user it
requires AUTH (PLAIN or LOGIN). Every message received is stored as
DIR/NNNN.eml, its raw bytes as they came over the wire, with DIR/NNNN.json
beside it (envelope sender, recipients, whether the session was encrypted
and authenticated). The port is printed on the first line of output.
"""
import argparse
import asyncio
import json
import os
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Spool:
    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.count = len([n for n in os.listdir(folder) if n.endswith(".eml")])

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%04d" % self.count)
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "tls": session.ssl is not None,
            "authenticated": bool(session.authenticated),
        }
        # Written under a temporary name first: a reader never sees half a message.
        for suffix, data in ((".json", json.dumps(record).encode()), (".eml", envelope.original_content)):
            with open(base + suffix + ".part", "wb") as out:
                out.write(data)
            os.replace(base + suffix + ".part", base + suffix)
        return "250 OK"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--spool", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    args = parser.parse_args()

    tls = None
    if args.cert:
        tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls.load_cert_chain(args.cert, args.key)

    def authenticate(server, session, envelope, mechanism, data):
        ok = (isinstance(data, LoginPassword) and data.login == args.user.encode()
              and data.password == args.password.encode())
        return AuthResult(success=ok, handled=False)

    handler = Spool(args.spool)

    def protocol():
        return SMTP(handler, hostname="pellago-test-smtp", tls_context=tls, require_starttls=tls is not None,
                    authenticator=authenticate if args.user else None, auth_required=bool(args.user),
                    auth_require_tls=tls is not None)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(protocol, "127.0.0.1", args.port))
    print(server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
