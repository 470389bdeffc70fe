#!/usr/bin/python3
"""A loopback FTP server for tests and benchmarks, on pyftpdlib.

Serves ROOT to one user (or anonymous users) and can misbehave on request:
refuse a command with a given reply, delay replies, stay silent, throttle
transfers. Prints "ready" once it listens, and a line per command it
receives to --log, so tests can see what the plug-in sent.
"""
import argparse
import os
import socket
import struct
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler, DTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer
from OpenSSL import SSL


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=21)
    p.add_argument("--user", default="user")
    p.add_argument("--password", default="secret")
    p.add_argument("--log", help="file that receives each received command")
    p.add_argument("--refuse", action="append", default=[],
                   help="COMMAND=CODE: answer COMMAND with CODE (e.g. STOR=553, DELE=550, greeting=421)")
    p.add_argument("--reply", action="append", default=[],
                   help="COMMAND=TEXT: answer COMMAND with this whole reply line (e.g. a malformed EPSV reply)")
    p.add_argument("--delay", action="append", default=[],
                   help="COMMAND=SECONDS: wait before handling COMMAND")
    p.add_argument("--pasv-address", help="address named in PASV replies (a server behind NAT names its private one)")
    p.add_argument("--utf8-names", action="store_true",
                   help="decode names as UTF-8 with U+FFFD for what is not, as pyftpdlib does by default")
    p.add_argument("--throttle", type=int, default=0, help="bytes per second for data transfers")
    p.add_argument("--silent", action="store_true", help="accept connections and never answer")
    p.add_argument("--list", help="file whose bytes are sent as every NLST listing, as they stand")
    p.add_argument("--endless", action="append", default=[], choices=["greeting", "NLST"],
                   help="a welcome of continuation lines, or a name listing, that never ends")
    p.add_argument("--hidden", action="append", default=[], help="a name NLST leaves out")
    p.add_argument("--foreign-before-store", type=int, metavar="BYTES",
                   help="answer the first STOR 425 once another writer has put BYTES bytes under its name")
    p.add_argument("--drop-upload-after", type=int, default=0,
                   help="close the data connection of a STOR after this many bytes")
    p.add_argument("--cuts", type=int, default=0,
                   help="how many uploads --drop-upload-after or --stall-upload-after cuts (0: every one)")
    p.add_argument("--stall-upload-after", type=int, default=0,
                   help="stop reading the data connection of a STOR after this many bytes, and never answer")
    p.add_argument("--stall-listing", action="store_true", help="send one name of a listing, then nothing")
    p.add_argument("--stall-data-handshake", action="store_true",
                   help="never answer the TLS handshake of a data connection")
    p.add_argument("--reset-listing-after", type=int, default=0,
                   help="reset a listing's data connection after this many bytes (over TLS without "
                   "close_notify) and report the transfer complete")
    p.add_argument("--later-data-certificate", metavar="PEM",
                   help="a certificate that every data connection but a session's first shows")
    p.add_argument("--tls", metavar="PEM", help="offer TLS (AUTH TLS) with this certificate and key")
    p.add_argument("--tls-required", action="store_true", help="with --tls: no login or transfer without it")
    return p.parse_args()


def serve_silently(args):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((args.host, args.port))
    listener.listen(16)
    print("ready", flush=True)
    held = []
    while True:
        connection, _ = listener.accept()
        held.append(connection)


class Lines:
    """A producer of one line at a time, so a transfer can be cut between lines."""

    def __init__(self, data):
        self.lines = data.splitlines(keepends=True)

    def more(self):
        return self.lines.pop(0) if self.lines else b""


class Endless:
    """A producer that never runs dry: the same block, again and again."""

    def __init__(self, block):
        self.block = block

    def more(self):
        return self.block


def tls_context(pem):
    """A server context for the certificate and key in PEM, whatever their
    strength: how the client judges a weak certificate is under test."""
    context = SSL.Context(SSL.TLS_SERVER_METHOD)
    context.set_cipher_list(b"DEFAULT:@SECLEVEL=0")
    context.use_certificate_chain_file(pem)
    context.use_privatekey_file(pem)
    return context


def pairs(values, convert):
    out = {}
    for item in values:
        key, value = item.split("=", 1)
        out[key.upper()] = convert(value)
    return out


def main():
    args = parse_args()
    if args.silent:
        serve_silently(args)
    refusals = pairs(args.refuse, int)
    replies = pairs(args.reply, str)
    delays = pairs(args.delay, float)
    log = open(args.log, "a", buffering=1, encoding="utf-8", errors="surrogateescape") if args.log else None

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    if args.tls:
        control_base = TLS_FTPHandler
        # TLS wraps the throttled handler's reads and writes.
        dtp_base = type("ThrottledTlsDtp", (TLS_DTPHandler, ThrottledDTPHandler), {}) if args.throttle \
            else TLS_DTPHandler
    else:
        dtp_base, control_base = ThrottledDTPHandler if args.throttle else DTPHandler, FTPHandler

    class Dtp(dtp_base):
        read_limit = args.throttle or 0
        write_limit = args.throttle or 0
        # One read per 50 ms slice at most, so slow rates hold too.
        auto_sized_buffers = False
        ac_in_buffer_size = max(512, min(65536, args.throttle // 20)) if args.throttle else 65536
        stalled = False
        cuts = 0

        def handle_read_event(self):
            # The base binds the event to its own handle_read, and TLS wraps
            # it for its handshake: what was read is looked at after either.
            super().handle_read_event()
            if not self.receive or self._closed:
                return
            if args.cuts and Dtp.cuts >= args.cuts:
                return
            if args.drop_upload_after and self.tot_bytes_received >= args.drop_upload_after:
                Dtp.cuts += 1
                self._resp = ("426 Connection closed; transfer aborted.", lambda *ignored: None)
                self.close()
            elif args.stall_upload_after and self.tot_bytes_received >= args.stall_upload_after:
                Dtp.cuts += 1
                self.stall()

        def handle_write(self):
            if not self.receive and self.tot_bytes_sent > 0:
                if args.stall_listing:
                    self.stall()
                    return
                if args.reset_listing_after and self.tot_bytes_sent >= args.reset_listing_after:
                    self.reset()
                    return
            super().handle_write()

        def reset(self):
            """A reset with no close_notify before it; the server says all went well."""
            self._resp = ("226 Transfer complete.", lambda *ignored: None)
            self._error = True
            self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close()

        def secure_connection(self, ssl_context):
            self.cmd_channel.secured_data_connections += 1
            if args.later_data_certificate and self.cmd_channel.secured_data_connections > 1:
                ssl_context = tls_context(args.later_data_certificate)
            super().secure_connection(ssl_context)
            if args.stall_data_handshake:
                self.stall()

        def stall(self):
            """Neither reads nor writes this connection again, and never ends it."""
            self.stalled = True
            self.del_channel()

        # TLS puts a connection back into the loop whenever it wants to read or write.
        def add_channel(self, map=None, events=None):
            if not self.stalled:
                super().add_channel(map, events)

        def modify_ioloop_events(self, events, logdebug=False):
            if not self.stalled:
                super().modify_ioloop_events(events, logdebug)

        def _throttle_bandwidth(self, len_chunk, max_speed):
            """The rate in 50 ms slices. pyftpdlib's own throttle takes a whole
            second's worth at once and then stops reading for up to 2 s, so a
            client's blocked send, or its reset, would wait that long."""
            self._datacount += len_chunk
            if self._datacount < max_speed / 20:
                return
            self._datacount = 0
            now = time.monotonic()
            self._timenext = max(self._timenext, now) + 0.05
            if self._timenext - now > 0.01:
                self.del_channel()
                self._cancel_throttler()
                self._throttler = self.ioloop.call_later(self._timenext - now, self._resume,
                                                         _errback=self.handle_error)

        def _resume(self):
            self.add_channel(events=self.ioloop.READ if self.receive else self.ioloop.WRITE)

    class Handler(control_base):
        dtp_handler = Dtp
        certfile = args.tls
        passive_ports = range(30000, 30500)
        # Names pass as the bytes the client sent (Windows-1250 from a Polish system).
        unicode_errors = "surrogateescape"
        secured_data_connections = 0
        raced = False

        def on_connect(self):
            if "greeting" in args.endless:
                self.push_with_producer(Endless(b"220-Still welcoming you.\r\n" * 1000))
            elif "GREETING" in refusals:
                self.respond("%d Service not available." % refusals["GREETING"])
                self.close_when_done()

        def pre_process_command(self, line, cmd, arg):
            if log:
                log.write(line + "\n")
            if cmd in delays:
                time.sleep(delays[cmd])
            if cmd == "STOR" and args.foreign_before_store is not None and not Handler.raced:
                Handler.raced = True
                with open(os.path.join(args.root, arg), "wb") as other:
                    other.write(b"x" * args.foreign_before_store)
                self.respond("425 Can't open data connection.")
                return
            if cmd in refusals:
                self.respond("%d Refused by the test server." % refusals[cmd])
                return
            if cmd in replies:
                self.respond(replies[cmd])
                return
            if cmd == "NLST" and args.hidden:
                names = [name for name in sorted(os.listdir(args.root)) if name not in args.hidden]
                self.push_dtp_data(b"".join(name.encode() + b"\r\n" for name in names), isproducer=False, cmd="NLST")
                return
            if cmd == "NLST" and "NLST" in args.endless:
                self.push_dtp_data(Endless(b"another-name.txt\r\n" * 4000), isproducer=True, cmd="NLST")
                return
            if cmd == "NLST" and args.list:
                self.push_listing()
                return
            if cmd == "NLST" and args.stall_listing:
                self.push_dtp_data(Endless(b"a-name.txt\r\n"), isproducer=True, cmd="NLST")
                return
            if cmd == "NLST" and args.reset_listing_after:
                self.push_dtp_data(Lines(b"".join(
                    name.encode() + b"\r\n" for name in sorted(os.listdir(args.root)))), isproducer=True, cmd="NLST")
                return
            super().pre_process_command(line, cmd, arg)

        def push_listing(self):
            with open(args.list, "rb") as listing:
                data = listing.read()
            self.push_dtp_data(data, isproducer=False, cmd="NLST")

    Handler.authorizer = authorizer
    if args.tls:
        Handler.ssl_context = tls_context(args.tls)
        Handler.tls_control_required = Handler.tls_data_required = args.tls_required
    Handler.masquerade_address = args.pasv_address
    if args.utf8_names:
        Handler.unicode_errors = "replace"
    Handler.banner = "Vornix test server ready."
    server = FTPServer((args.host, args.port), Handler)
    print("ready", flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
