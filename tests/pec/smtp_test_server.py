#!/usr/bin/env python3
"""An SMTP server for the tests, on 127.0.0.1: STARTTLS and a login are
required, and each message received is kept in a folder, as it came
(N.eml) and taken apart by Python's email package (N.json), so that a test
reads what a mail client would see. It prints "PORT n" once it listens.

--mode drop closes the connection after the first line of DATA, as a server
that goes away in the middle of a message; --mode reject answers the
message with 554."""

import argparse
import asyncio
import base64
import json
import os
import ssl
import sys
from email import policy
from email.parser import BytesParser

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class KeepingHandler:
    def __init__(self, folder, mode):
        self.folder = folder
        self.mode = mode
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        if self.mode == "reject":
            return "554 5.6.0 Messaggio rifiutato"
        self.count += 1
        raw = envelope.original_content or envelope.content
        message = BytesParser(policy=policy.default).parsebytes(raw)
        summary = {
            "envelope_from": envelope.mail_from,
            "envelope_to": list(envelope.rcpt_tos),
            "headers": {name.lower(): str(message[name]) for name in
                        ("From", "To", "Subject", "Date", "Message-ID", "MIME-Version")
                        if message[name] is not None},
            "body": "",
            "attachments": [],
        }
        for part in message.walk():
            if part.is_multipart():
                continue
            if part.get_filename():
                summary["attachments"].append({
                    "name": part.get_filename(),
                    "type": part.get_content_type(),
                    "encoding": part.get("Content-Transfer-Encoding", ""),
                    "data": base64.b64encode(part.get_payload(decode=True)).decode(),
                })
            elif part.get_content_type() == "text/plain":
                summary["body"] = part.get_content()
        base = os.path.join(self.folder, str(self.count))
        write_whole(base + ".eml", raw)
        # The summary last: a test takes the .json as the sign of a message
        # kept whole.
        write_whole(base + ".json", json.dumps(summary).encode())
        return "250 OK"


def write_whole(path, data):
    with open(path + ".part", "wb") as f:
        f.write(data)
    os.replace(path + ".part", path)


class DroppingSMTP(SMTP):
    async def smtp_DATA(self, arg):
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        await self._reader.readline()
        self.transport.abort()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--mode", choices=("accept", "drop", "reject"), default="accept")
    args = parser.parse_args()

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        return AuthResult(success=ok, handled=False)

    handler = KeepingHandler(args.folder, args.mode)
    kind = DroppingSMTP if args.mode == "drop" else SMTP

    def session():
        return kind(handler, hostname="localhost", tls_context=context, require_starttls=True,
                    auth_required=True, auth_require_tls=True, authenticator=authenticate)

    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(loop.create_server(session, host="127.0.0.1", port=0))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    try:
        loop.run_forever()
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(main())
