#!/usr/bin/python3
"""What only SFTP has, against OpenSSH's sshd: the host key question, logins
with private keys, a server that never speaks or stops mid-upload and a
messenger that closes during an upload."""
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username=harness.SFTP_USER, password=harness.PASSWORD, dir="",
              httpHost="http://127.0.0.1/pliki", sendLink=1, autoClose=1, protocol=1)
HOST_KEY_SETTING = "cfg/Vornix/hostKey/127.0.0.1:22"


class SshdTest(harness.EndToEndTest):
    throttle = 0  # bytes per second that sshd takes in

    def setUp(self):
        super().setUp()
        self.server = self.start_ftp("sshd", throttle=self.throttle)

    def upload(self, *options, data=b"data", **settings):
        self.host.configure(**dict(SERVER, **settings))
        path = self.local_file("f.txt", data)
        return self.host.run("--file", harness.windows_path(path), *options, "send")

    def trust_host_key(self):
        self.host.configure(**SERVER)
        self.host.store(HOST_KEY_SETTING, self.server.host_key_line())

    def sshd_log(self):
        with open(os.path.join(self.server.work, "stderr"), errors="replace") as f:
            return f.read()


class SftpTest(SshdTest):
    def test_host_key_is_asked_about_before_any_login_and_again_when_it_changes(self):
        key_type, fingerprint = self.server.host_key_line().split()
        result = self.upload("--answer", "no")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - Klucz hosta serwera": Serwer 127.0.0.1:22 '
                                            'przedstawił klucz hosta, którego jeszcze nie znasz.'), boxes)
        self.assertIn("Typ klucza: %s\\nOdcisk: %s" % (key_type, fingerprint), boxes[0])
        self.assertEqual('message box "Vornix - SFTP Error": SFTP Exception: Klucz hosta serwera odrzucony, '
                         'nic nie wysłano', boxes[1])
        self.assertEqual([], self.server.files())
        self.assertNotIn("password for", self.sshd_log())

        result = self.upload("--answer", "yes")
        self.assertEqual(1, len(result.starting("message box")), result)
        self.assertEqual(["f.txt"], self.server.files())
        self.assertLinksServe(result, b"data")
        self.assertEqual([], self.upload().starting("message box"))

        self.server.make_host_key("ecdsa")
        self.server.restart()
        result = self.upload("--answer", "yes")
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertIn("UWAGA: klucz hosta serwera 127.0.0.1:22 zmienił się", boxes[0])
        self.assertIn("Typ klucza: ecdsa-sha2-nistp256", boxes[0])
        self.assertEqual(3, len(self.server.files()))

        # A second key, of a type preferred before, is not mistaken for a change.
        self.server.add_host_key("ed25519")
        self.server.restart()
        self.assertEqual([], self.upload().starting("message box"))
        self.assertEqual(4, len(self.server.files()))

    def key(self, key_type, passphrase=""):
        path = os.path.join(self.workdir, "id_%s%s" % (key_type, "_locked" if passphrase else ""))
        subprocess.run(["ssh-keygen", "-q", "-t", key_type, "-N", passphrase, "-f", path], check=True)
        self.server.authorize(path + ".pub")
        return path

    def test_private_keys_log_in_and_unusable_ones_are_told_apart(self):
        self.trust_host_key()
        keys = [self.key("ed25519"), self.key("ecdsa"), self.key("rsa")]
        for number, key in enumerate(keys, 1):
            result = self.upload(keyFile=harness.windows_path(key), password="")
            self.assertEqual([], result.starting("message box"), result)
            self.assertEqual(number, len(self.server.files()))
        self.assertIn("RSA SHA256", self.sshd_log())  # signed as rsa-sha2, which OpenSSH 9.2 takes

        locked = self.key("ed25519", "hasło klucza")
        result = self.upload(keyFile=harness.windows_path(locked), password="hasło klucza")
        self.assertEqual([], result.starting("message box"), result)

        ppk = self.local_file("klucz.ppk", b"PuTTY-User-Key-File-3: ssh-ed25519\nEncryption: none\n")
        unknown = self.local_file("klucz.txt", b"ssh-ed25519 AAAAC3Nza... user@host\n")
        expected = {
            (locked, "złe hasło"): 'Nie można użyć klucza prywatnego: hasło klucza (pole „Hasło”) jest złe',
            (ppk, ""): "Plik klucza jest w formacie PuTTY (.ppk), którego wtyczka nie czyta. "
                       "Działają klucze w formacie OpenSSH (ed25519, ECDSA, RSA). "
                       "W PuTTYgen wczytaj klucz, wybierz z menu „Conversions” polecenie „Export OpenSSH key”",
            (unknown, ""): "Plik klucza nie jest kluczem prywatnym w formacie OpenSSH.",
            (os.path.join(self.workdir, "brak"), ""): "Nie można odczytać pliku klucza prywatnego: ",
        }
        for (key, password), text in expected.items():
            result = self.upload(keyFile=harness.windows_path(key), password=password)
            boxes = result.starting("message box")
            self.assertEqual(1, len(boxes), result)
            self.assertTrue(boxes[0].startswith('message box "Vornix - I/O Error": I/O error: ' + text), boxes)
        self.assertEqual(4, len(self.server.files()))  # nothing more after the failures



class ClosingTest(SshdTest):
    throttle = 1000000

    def test_closing_the_messenger_during_an_upload_removes_the_partial_file(self):
        self.trust_host_key()
        started = time.time()
        result = self.upload("--unload-after", "3", data=os.urandom(40000000))
        self.assertLess(time.time() - started, 40)
        self.assertEqual([], self.server.files(), result)
        self.assertEqual([], result.starting(("shown", "sent", "message box")))


    # The server's session stops (its processes frozen) once the file has
    # begun: no write waits past the session's timeout, and a new session
    # takes the file up where the server has it.
    def test_session_that_stops_mid_upload_is_taken_up_by_a_new_one(self):
        self.trust_host_key()
        sessions = []

        def freeze():
            while not self.server.files():
                time.sleep(0.05)
            sessions.extend(harness.descendants(self.server.process.pid))
            for pid in sessions:
                os.kill(pid, signal.SIGSTOP)

        freezer = threading.Thread(target=freeze, daemon=True)
        freezer.start()
        data = os.urandom(8000000)
        try:
            result = self.upload(data=data)
            self.assertEqual([], result.starting("message box"), result)
            self.assertEqual(["f.txt"], self.server.files())
            self.assertEqual(data, self.server.read("f.txt"))
        finally:
            freezer.join(10)
            for pid in sessions:
                os.kill(pid, signal.SIGCONT)
        self.assertTrue(sessions)

    # The session is killed at 40% of the file and, while the job waits to
    # connect again, the partial file becomes a link to another file: the
    # job neither follows it nor removes it, and stores the file anew.
    def test_partial_file_replaced_by_a_link_is_not_followed(self):
        self.trust_host_key()
        self.server.write("victim.txt", b"not to be written")
        shutil.chown(os.path.join(self.server.root, "victim.txt"), harness.SFTP_USER, harness.SFTP_USER)
        path = os.path.join(self.server.root, "f.txt")
        killed = []

        def cut_and_link():
            deadline = time.time() + 30
            while time.time() < deadline and (not os.path.exists(path) or os.path.getsize(path) < 3200000):
                time.sleep(0.05)
            for pid in harness.descendants(self.server.process.pid):
                os.kill(pid, signal.SIGKILL)
                killed.append(pid)
            os.remove(path)
            os.symlink("victim.txt", path)

        cutter = threading.Thread(target=cut_and_link, daemon=True)
        cutter.start()
        data = os.urandom(8000000)
        result = self.upload(data=data)
        cutter.join(30)
        self.assertTrue(killed)
        self.assertEqual([], result.starting("message box"), result)
        self.assertEqual(b"not to be written", self.server.read("victim.txt"))
        self.assertEqual("victim.txt", os.readlink(path))
        stored = [name for name in self.server.files() if name not in ("f.txt", "victim.txt")]
        self.assertEqual(1, len(stored), self.server.files())
        self.assertEqual(data, self.server.read(stored[0]))
        link = "http://127.0.0.1/pliki/" + stored[0].replace("_", "%5F")
        self.assertEqual(["shown XY/1/alice: " + link], result.starting("shown"))


class KeyboardInteractiveTest(harness.EndToEndTest):
    # The password goes once, to the prompt that asks for it. A server that
    # asks for more (a one-time code, the password again) ends the login with
    # a box that says so, and nothing is stored.
    def test_only_the_password_prompt_gets_the_password(self):
        for prompt, box in (
                ("Kod weryfikacyjny: ", "SFTP Exception: Serwer SFTP prosi przy logowaniu o coś innego niż hasło"),
                ("Password: ", "SFTP Exception: Login refused: the server asked for the password again")):
            with self.subTest(prompt=prompt):
                server = harness.AsyncSsh(tempfile.mkdtemp(dir=self.workdir), then_ask=prompt)
                self.servers.append(server)
                self.host.configure(**SERVER)
                self.host.store(HOST_KEY_SETTING, server.host_key_line())
                result = self.host.run("--file", harness.windows_path(self.local_file("f.txt", b"x")), "send")
                server.stop()
                self.servers.remove(server)
                boxes = result.starting("message box")
                self.assertEqual(1, len(boxes), result)
                self.assertTrue(boxes[0].startswith('message box "Vornix - SFTP Error": ' + box), boxes)
                self.assertEqual([], server.files())


class SilentServerTest(harness.EndToEndTest):
    def test_server_that_never_speaks_times_out(self):
        listener = socket.create_server(("127.0.0.1", 22))
        accepted = []
        threading.Thread(target=lambda: accepted.append(listener.accept()), daemon=True).start()
        try:
            self.host.configure(**SERVER)
            started = time.time()
            result = self.host.run("--file", harness.windows_path(self.local_file("f.txt", b"x")), "send")
            self.assertLess(time.time() - started, 30)
            boxes = result.starting("message box")
            self.assertEqual(1, len(boxes), result)
            self.assertTrue(boxes[0].startswith('message box "Vornix - Timeout": Timeout: SSH handshake failed'),
                            boxes)
        finally:
            listener.close()


if __name__ == "__main__":
    harness.main()
