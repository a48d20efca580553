#!/usr/bin/python3
"""Decodes a received message as a mail client would: prints JSON with the subject, sender,
recipient, body, the attachment's file name and the SHA-256 of its bytes.

  mail_check.py MESSAGE.eml
"""
import hashlib
import json
import sys
from email import policy
from email.parser import BytesParser

with open(sys.argv[1], "rb") as f:
    message = BytesParser(policy=policy.default).parse(f)
result = {
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
        result["sha256"] = hashlib.sha256(payload).hexdigest()
        result["size"] = len(payload)
    elif part.get_content_type() == "text/plain":
        result["body"] = part.get_content()
print(json.dumps(result, ensure_ascii=False))
