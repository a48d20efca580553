#!/usr/bin/python3
"""A mail server on loopback for the e-mail tests (Debian's python3-aiosmtpd).

  smtp_server.py OUT_FOLDER [--auth USER:PASSWORD] [--reject ADDRESS] [--starttls [--cert-out FILE]]
                 [--implicit-tls] [--auth-after-tls] [--size-limit BYTES] [--temporary-rcpt REPLY]
                 [--refuse-data REPLY | --close-at-data | --hang-at-data]

Listens on a free port of 127.0.0.1, prints "PORT n" once it answers, writes every message it
accepts to OUT_FOLDER/N.eml, and stops when its standard input closes. --starttls offers
STARTTLS with a self-signed certificate made for the run (for 127.0.0.1 and localhost; --cert-out
writes it where a client can be told to trust it). At the end of a message's data it can
refuse it with REPLY, close the connection, or stop answering. --implicit-tls speaks TLS from the
first byte (as on port 465); --auth-after-tls offers STARTTLS and AUTH only once TLS is on;
--size-limit advertises SIZE and refuses what is larger; --temporary-rcpt answers the first RCPT
with REPLY (a 4xx, as greylisting does) and accepts the next ones.
"""
import asyncio
import argparse
import socket
import ssl
import subprocess
import sys
import tempfile
from pathlib import Path

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Handler:
    def __init__(self, out, reject, at_data, temporary_rcpt):
        self.out = Path(out)
        self.reject = reject
        self.temporary_rcpt = temporary_rcpt
        self.at_data = at_data
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.reject:
            return "550 5.1.1 No such user here"
        if self.temporary_rcpt:
            reply, self.temporary_rcpt = self.temporary_rcpt, None
            return reply
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        kind, reply = self.at_data
        if kind == "refuse":
            return reply
        if kind == "close":
            server.transport.close()
            return "421 closing"
        if kind == "hang":
            await asyncio.sleep(3600)
        self.count += 1
        (self.out / f"{self.count}.eml").write_bytes(envelope.original_content)
        return "250 Message accepted for delivery"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--auth")
    parser.add_argument("--reject", action="append", default=[])
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--cert-out")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--auth-after-tls", action="store_true")
    parser.add_argument("--size-limit", type=int)
    parser.add_argument("--temporary-rcpt")
    parser.add_argument("--refuse-data")
    parser.add_argument("--close-at-data", action="store_true")
    parser.add_argument("--hang-at-data", action="store_true")
    args = parser.parse_args()
    at_data = (("refuse", args.refuse_data) if args.refuse_data else ("close", None) if args.close_at_data
               else ("hang", None) if args.hang_at_data else (None, None))

    options = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            good = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user
                    and auth_data.password.decode() == password)
            return AuthResult(success=good, handled=False)

        options.update(authenticator=authenticator, auth_require_tls=args.auth_after_tls,
                       auth_required=not args.auth_after_tls)
    if args.size_limit:
        options.update(data_size_limit=args.size_limit)
    keep = tempfile.TemporaryDirectory()
    if args.starttls or args.implicit_tls or args.auth_after_tls:
        cert, key = Path(keep.name) / "cert.pem", Path(keep.name) / "key.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-utf8", "-subj", "/O=Arvel理工大学/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                        "-keyout", str(key), "-out", str(cert)],
                       check=True, capture_output=True)
        if args.cert_out:
            Path(args.cert_out).write_bytes(cert.read_bytes())
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(str(cert), str(key))
        if args.implicit_tls:
            options.update(ssl_context=context)
        else:
            options.update(tls_context=context, require_starttls=not args.auth_after_tls)

    port = free_port()
    controller = Controller(Handler(args.out, args.reject, at_data, args.temporary_rcpt), hostname="127.0.0.1", port=port, **options)
    controller.start()
    print(f"PORT {port}", flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
