#!/usr/bin/python3
"""The options page's "Sprawdź": the settings in its boxes tried step by step
with a probe file fetched through its link, against pyftpdlib and nginx."""
import functools
import http.server
import socket
import ssl
import threading
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="",
              httpHost="http://127.0.0.1/pliki", tls=2)
STEPS = ("Połączenie z serwerem", "Logowanie", "Katalog na serwerze", "Zapis pliku próbnego",
         "Pobranie przez link", "Usunięcie pliku próbnego")


class CheckTest(harness.EndToEndTest):
    def check(self, *options, **settings):
        values = ["%s=%s" % item for item in dict(SERVER, **settings).items()]
        return self.host.run(*options, "check", *values)

    def report(self, result):
        """Each step's first line of the one box, by step."""
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - Sprawdzenie ustawień": '), boxes)
        lines = boxes[0].split("\\n")
        return {step: line.split(": ", 1)[1] for line in lines for step in STEPS if line.startswith(step + ": ")}, \
            boxes[0]

    def assertSteps(self, result, failed):
        """Steps before `failed` OK, `failed` in error, the ones after skipped
        (but the probe's removal, which follows a stored probe)."""
        steps, box = self.report(result)
        at = STEPS.index(failed) if failed else len(STEPS)
        expected = ["OK"] * at + ["BŁĄD"] * (failed is not None)
        expected += ["OK" if step == STEPS[-1] and at > 3 else "pominięto" for step in STEPS[at + 1:]]
        self.assertEqual(dict(zip(STEPS, expected)), steps, box)
        return box

    def test_steps_and_their_causes(self):
        server = self.start_server()
        self.serve_web(server)
        box = self.assertSteps(self.check(), None)
        self.assertIn("Ustawienia działają", box)
        self.assertEqual([], server.files())

        box = self.assertSteps(self.check(httpHost="http://127.0.0.1/pliki/public_html"), "Pobranie przez link")
        self.assertIn("404", box)
        self.assertIn("link nie wskazuje na katalog na serwerze", box)
        self.assertIn("Sprawdzony link: http://127.0.0.1/pliki/public_html/.vornix.test.", box)
        self.assertEqual([], server.files())

        box = self.assertSteps(self.check(password="zle"), "Logowanie")
        self.assertIn("Sprawdź nazwę użytkownika i hasło", box)
        self.assertSteps(self.check(dir="nie-ma"), "Katalog na serwerze")
        self.assertSteps(self.check(ftpHost=""), "Połączenie z serwerem")

        # A web address a browser would not fetch, or none: the probe goes
        # all the same, and the box says what is wrong with the link.
        box = self.assertSteps(self.check(httpHost="ftp://127.0.0.1/pliki"), "Pobranie przez link")
        self.assertIn("Link nie jest adresem http:// ani https://: ftp://127.0.0.1/pliki/.vornix.test.", box)
        box = self.assertSteps(self.check(httpHost=""), "Pobranie przez link")
        self.assertIn("Pole z linkiem jest puste", box)
        self.assertEqual([], server.files())

    def test_refused_store(self):
        server = self.start_server("--refuse", "STOR=553")
        self.serve_web(server)
        box = self.assertSteps(self.check(), "Zapis pliku próbnego")
        self.assertIn("553", box)
        self.assertEqual([], server.files())

    # A web address that redirects (here every path to the same name in the
    # served folder) is followed, as a browser follows it.
    def test_redirected_link_is_followed(self):
        server = self.start_server()
        self.serve_web(server)

        class Redirect(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                self.send_response(301)
                self.send_header("Location", "http://127.0.0.1/pliki/" + self.path.rsplit("/", 1)[1])
                self.end_headers()

        web = http.server.ThreadingHTTPServer(("127.0.0.1", 8080), Redirect)
        threading.Thread(target=web.serve_forever, daemon=True).start()
        try:
            self.assertSteps(self.check(httpHost="http://127.0.0.1:8080/stary/adres"), None)
        finally:
            web.shutdown()
            web.server_close()
        self.assertEqual([], server.files())

    # An HTTPS web address is fetched as a contact's browser would: refused
    # while Windows does not trust the certificate's issuer, and then without
    # a request sent; fetched once it does; never followed to plain http.
    def test_https_link_is_checked_against_windows_roots(self):
        server = self.start_server()
        self.serve_web(server)
        certificates = harness.TestCertificates()
        requests = []

        class Handler(http.server.SimpleHTTPRequestHandler):
            def do_GET(self):
                requests.append(self.path)
                if self.path.startswith("/na-http/"):
                    self.send_response(302)
                    self.send_header("Location", "http://127.0.0.1/pliki/" + self.path.rsplit("/", 1)[1])
                    self.end_headers()
                else:
                    super().do_GET()

        handler = functools.partial(Handler, directory=server.root)
        web = http.server.ThreadingHTTPServer(("127.0.0.1", 8443), handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certificates.server("web"))
        web.socket = context.wrap_socket(web.socket, server_side=True)
        threading.Thread(target=web.serve_forever, daemon=True).start()
        try:
            box = self.assertSteps(self.check(httpHost="https://127.0.0.1:8443/"), "Pobranie przez link")
            self.assertIn("Przeglądarka kontaktu nie zaufa certyfikatowi serwera WWW", box)
            self.assertEqual([], requests)
            certificates.trust_ca(self.wine)
            self.assertSteps(self.check(httpHost="https://127.0.0.1:8443/"), None)
            box = self.assertSteps(self.check(httpHost="https://127.0.0.1:8443/na-http"), "Pobranie przez link")
            self.assertIn("przekierowuje link https:// na niezaszyfrowany adres http://, którego wtyczka nie "
                          "sprawdza: http://127.0.0.1/pliki/.vornix.test.", box)
        finally:
            web.shutdown()
            web.server_close()
            certificates.close()
        self.assertEqual([], server.files())

    # The web server answers a byte every second, so no single read ever
    # times out: the fetch as a whole does, and a cancel ends it at once;
    # either way the probe is removed, and a cancelled check shows nothing.
    def test_a_dripping_web_server_is_bounded_and_cancel_ends_the_wait(self):
        server = self.start_server()
        listener = socket.create_server(("127.0.0.1", 8080))
        threading.Thread(target=drip, args=(listener,), daemon=True).start()
        try:
            started = time.time()
            result = self.check("--cancel-check-after", "2000", httpHost="http://127.0.0.1:8080/pliki")
            self.assertLess(time.time() - started, 15)
            self.assertEqual(["check: Anuluj pressed"], result.starting("check:"), result)
            self.assertEqual([], result.starting("message box"), result)
            self.assertEqual([], server.files())
            self.assertIn("DELE", " ".join(server.commands()))

            started = time.time()
            box = self.assertSteps(self.check(httpHost="http://127.0.0.1:8080/pliki"), "Pobranie przez link")
            self.assertLess(time.time() - started, 50)
            self.assertIn("Timeout", box)
            self.assertEqual([], server.files())
        finally:
            listener.shutdown(socket.SHUT_RDWR)  # wakes the accept, which holds the port while it waits
            listener.close()


def drip(listener):
    """Serves each connection a response header one byte a second."""
    def serve(connection):
        with connection:
            try:
                for byte in b"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n" * 10:
                    connection.sendall(bytes([byte]))
                    time.sleep(1)
            except OSError:
                pass  # the client gave up

    while True:
        try:
            connection, _ = listener.accept()
        except OSError:
            return
        threading.Thread(target=serve, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    harness.main()
