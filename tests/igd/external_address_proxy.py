#!/usr/bin/env python3
"""Stands between the LAN and the gateway's UPnP service and passes every request through
unchanged, except that answers to GetExternalIPAddress carry the address given here: a router
that sits behind its provider's NAT, which miniupnpd itself refuses to pretend to be.

Usage: external_address_proxy.py LISTEN_ADDRESS LISTEN_PORT UPSTREAM_URL REPORTED_ADDRESS
"""
import http.server
import re
import sys
import urllib.error
import urllib.request

listen_address, listen_port, upstream, reported = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
external = re.compile(rb"<NewExternalIPAddress>[^<]*</NewExternalIPAddress>")
replacement = b"<NewExternalIPAddress>" + reported.encode() + b"</NewExternalIPAddress>"


class Proxy(http.server.BaseHTTPRequestHandler):
    def forward(self):
        length = int(self.headers.get("Content-Length", 0))
        body = self.rfile.read(length) if length else None
        request = urllib.request.Request(upstream + self.path, data=body, method=self.command)
        for name in ("Content-Type", "SOAPAction"):
            if self.headers.get(name):
                request.add_header(name, self.headers[name])
        try:
            with urllib.request.urlopen(request, timeout=10) as response:
                status, content_type, data = response.status, response.headers.get("Content-Type"), response.read()
        except urllib.error.HTTPError as error:
            status, content_type, data = error.code, error.headers.get("Content-Type"), error.read()
        data = external.sub(replacement, data)
        self.send_response(status)
        self.send_header("Content-Type", content_type or "text/xml")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)

    do_GET = forward
    do_POST = forward

    def log_message(self, *args):
        pass


http.server.HTTPServer((listen_address, listen_port), Proxy).serve_forever()
