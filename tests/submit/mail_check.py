#!/usr/bin/python3
"""Decodes a received message as a mail client would: prints JSON with the subject, sender,
recipient, body, the attachment's file name and the SHA-256 of its bytes; whether a strict parser
finds no defect, and the longest header line and the longest line of all (in bytes, without CRLF).

  mail_check.py MESSAGE.eml
"""
import hashlib
import json
import sys
from email import policy
from email.parser import BytesParser

with open(sys.argv[1], "rb") as f:
    raw = f.read()
message = BytesParser(policy=policy.default).parsebytes(raw)
try:
    BytesParser(policy=policy.strict).parsebytes(raw)
    strict, defects = True, ""
except Exception as error:  # a defect a strict reader refuses
    strict, defects = False, str(error)

def header_lines(raw):
    """The lines of the message's header and of every part's header."""
    boundaries = {b"--" + part.get_boundary().encode() for part in message.walk() if part.is_multipart()}
    in_header = True
    for line in raw.split(b"\r\n"):
        if in_header and line == b"":
            in_header = False
        elif in_header:
            yield line
        elif line.rstrip(b"-") in boundaries or line in boundaries:
            in_header = True


heads = list(header_lines(raw))
result = {
    "strict": strict and not any(part.defects for part in message.walk()),
    "defects": defects or "; ".join(str(d) for part in message.walk() for d in part.defects),
    "longest_header_line": max(len(line) for line in heads),
    "longest_header_text": max(heads, key=len).decode("ascii", "replace"),
    "longest_line": max(len(line) for line in raw.split(b"\r\n")),
    "subject": str(message["subject"] or ""),
    "from": str(message["from"] or ""),
    "to": str(message["to"] or ""),
    "date": bool(message["date"]),
    "message_id": str(message["message-id"] or ""),
}
for part in message.iter_parts() if message.is_multipart() else [message]:
    if part.get_content_disposition() == "attachment":
        payload = part.get_payload(decode=True)
        result["filename"] = part.get_filename()
        result["type_name"] = str(part["content-type"].params.get("name", ""))
        result["sha256"] = hashlib.sha256(payload).hexdigest()
        result["size"] = len(payload)
    elif part.get_content_type() == "text/plain":
        result["body"] = part.get_content()
print(json.dumps(result, ensure_ascii=False))
