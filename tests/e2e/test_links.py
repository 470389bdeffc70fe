#!/usr/bin/python3
"""Each link is asked of the web server before it goes to the contact: a
link that does not answer is only shown, and one box says why."""
import functools
import http.server
import os
import socket
import ssl
import threading
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="",
              httpHost="http://127.0.0.1/pliki", sendLink=0, autoClose=1, tls=2)
HINT = "Przyczynę pomoże znaleźć przycisk „Sprawdź” na stronie opcji wtyczki."


class Folder(http.server.SimpleHTTPRequestHandler):
    """Serves a folder; names holding "brak" are missing. With refuse_head
    HEAD gets 405, as some servers answer it; with redirect_to every path
    is sent to its name there."""
    refuse_head = False
    redirect_to = ""

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        if self.refuse_head:
            self.send_error(405)
        else:
            super().do_HEAD()

    def send_head(self):
        if self.redirect_to:
            self.send_response(301)
            self.send_header("Location", self.redirect_to + self.path.rsplit("/", 1)[1])
            self.end_headers()
            return None
        if "brak" in self.path:
            self.send_error(404)
            return None
        return super().send_head()


class LinkCheckTest(harness.EndToEndTest):
    def setUp(self):
        super().setUp()
        self.web_servers = []

    def tearDown(self):
        for web in self.web_servers:
            web.shutdown()
            web.server_close()
        super().tearDown()

    def serve(self, handler, port, certificate=None):
        web = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        if certificate:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(certificate)
            web.socket = context.wrap_socket(web.socket, server_side=True)
        threading.Thread(target=web.serve_forever, daemon=True).start()
        self.web_servers.append(web)

    def send(self, *names, options=(), **settings):
        self.host.configure(**dict(SERVER, **settings))
        paths = [self.local_file(name, name.encode()) for name in names]
        return self.host.run(*options, *[word for path in paths for word in ("--file", path)], "send")

    def assertHeldBack(self, result, link, answer):
        """LINK only shown, and the one box names it with ANSWER."""
        self.assertEqual([], result.starting("sent "), result)
        self.assertIn(link, result.starting("shown ")[0])
        boxes = result.starting('message box "Vornix - Link nie działa"')
        self.assertEqual(1, len(result.starting("message box")), result)
        self.assertIn("\\n%s: %s" % (link, answer), boxes[0])
        self.assertTrue(boxes[0].endswith(HINT), boxes)

    def test_live_link_goes_and_a_missing_one_is_only_shown_and_stays_stored(self):
        server = self.start_server()
        self.serve_web(server)
        result = self.send("a.txt")
        self.assertEqual(["sent XY/1/PFMessageSend: http://127.0.0.1/pliki/a.txt",
                          "shown XY/1/alice: http://127.0.0.1/pliki/a.txt"], result.starting(("sent ", "shown ")))
        self.assertEqual([], result.starting("message box"))

        result = self.send("b.txt", httpHost="http://127.0.0.1/pliki/public_html")
        self.assertHeldBack(result, "http://127.0.0.1/pliki/public_html/b.txt",
                            "serwer WWW odpowiedział 404 Not Found")
        self.assertEqual(["a.txt", "b.txt"], server.files())
        self.assertEqual(["b.txt", "a.txt"], [line.split(": ", 1)[1].split(" | ")[0]
                                              for line in self.host.run("sent").starting("sent-file ")])

        # Without the check the link goes unasked, as before it existed.
        result = self.send("c.txt", httpHost="http://127.0.0.1/pliki/public_html", verifyLink=0)
        self.assertEqual(["sent XY/1/PFMessageSend: http://127.0.0.1/pliki/public_html/c.txt"],
                         result.starting("sent "))
        self.assertEqual([], result.starting("message box"))

    # Of several files only the live links go, in their order; the box
    # names the dead ones. HEAD refused, the first byte is asked for.
    def test_several_files_each_link_checked(self):
        server = self.start_server()
        self.serve(functools.partial(type("NoHead", (Folder,), {"refuse_head": True}), directory=server.root), 8080)
        result = self.send("a.txt", "brak1.txt", "c.txt", "brak2.txt", httpHost="http://127.0.0.1:8080")
        link = "http://127.0.0.1:8080/%s"
        self.assertEqual(["sent XY/1/PFMessageSend: %s\\r\\n%s" % (link % "a.txt", link % "c.txt")],
                         result.starting("sent "))
        self.assertEqual(["shown XY/1/alice: " + "\\r\\n".join(link % name for name in
                                                              ("a.txt", "brak1.txt", "c.txt", "brak2.txt"))],
                         result.starting("shown "))
        box = result.starting("message box")
        self.assertEqual(1, len(box), result)
        self.assertIn("Te linki nie działają", box[0])
        for name in ("brak1.txt", "brak2.txt"):
            self.assertIn("\\n%s: serwer WWW odpowiedział 404 Not Found" % (link % name), box[0])
        self.assertNotIn(link % "a.txt" + ":", box[0])
        self.assertEqual(["a.txt", "brak1.txt", "brak2.txt", "c.txt"], server.files())

    # An HTTPS link is judged as a browser judges it: against Windows' roots,
    # and through a redirect from http.
    def test_https_link_needs_a_certificate_windows_trusts(self):
        server = self.start_server()
        certificates = harness.TestCertificates()
        self.addCleanup(certificates.close)
        self.serve(functools.partial(Folder, directory=server.root), 8443, certificates.server("web"))
        self.serve(type("ToHttps", (Folder,), {"redirect_to": "https://127.0.0.1:8443/"}), 8080)
        result = self.send("a.txt", httpHost="https://127.0.0.1:8443")
        self.assertHeldBack(result, "https://127.0.0.1:8443/a.txt", "nie można pobrać pliku: ")
        self.assertIn("Przeglądarka kontaktu nie zaufa certyfikatowi serwera WWW",
                      result.starting("message box")[0])
        certificates.trust_ca(self.wine)
        result = self.send("b.txt", httpHost="http://127.0.0.1:8080/stary")
        self.assertEqual(["sent XY/1/PFMessageSend: http://127.0.0.1:8080/stary/b.txt"], result.starting("sent "))
        self.assertEqual([], result.starting("message box"))

    # A web server that takes the connection and never answers is dead
    # within the session's timeout.
    def test_silent_web_server_counts_as_not_answering(self):
        self.start_server()
        listener = socket.create_server(("127.0.0.1", 8080))
        self.addCleanup(listener.close)
        started = time.time()
        result = self.send("a.txt", httpHost="http://127.0.0.1:8080")
        self.assertLess(time.time() - started, 20)
        self.assertHeldBack(result, "http://127.0.0.1:8080/a.txt", "nie można pobrać pliku: Timeout")
        # "Przerwij" during the check ends it: the link goes unasked, as without it.
        result = self.send("b.txt", options=("--abort-on", "Zakończono"), httpHost="http://127.0.0.1:8080")
        self.assertEqual(["sent XY/1/PFMessageSend: http://127.0.0.1:8080/b.txt"], result.starting("sent "))
        self.assertEqual([], result.starting("message box"))


if __name__ == "__main__":
    harness.main()
