#!/usr/bin/python3
"""Uploads through vornix-host.exe's contact menu to a real FTP server."""
import hashlib
import os
import re
import subprocess
import time
import zipfile

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="",
              httpHost="http://127.0.0.1/pliki", sendLink=1, autoClose=1)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class UploadTest(harness.EndToEndTest):
    def upload(self, name, data, *options, **settings):
        self.host.configure(**dict(SERVER, **settings))
        path = self.local_file(name, data)
        return path, self.host.run("--file", harness.windows_path(path), *options, "send")

    def test_links_only_shown_and_window_kept_open(self):
        server = self.start_server()
        self.serve_web(server)
        # The messenger frees the contact it passed as soon as the menu call returns.
        path, result = self.upload("a.txt", b"abc", "--forget-contact", sendLink=1, autoClose=0,
                                   httpHost="http://127.0.0.1/pliki/")
        self.assertEqual(0, result.code, result)
        self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/a.txt"], result.starting(("sent", "shown")))
        self.assertLinksServe(result, b"abc")
        self.assertEqual(['window "a.txt" open: %s | 3B / 3B | 0 KB/s | Zakończono' % harness.windows_path(path)],
                         result.starting("window"))
        self.assertEqual(b"abc", server.read("a.txt"))

    def test_random_prefix_gives_each_send_of_one_file_a_name_of_its_own(self):
        server = self.start_server()
        self.serve_web(server)
        shown = []
        for _ in range(2):
            _, result = self.upload("umowa.pdf", b"tajne", randomPrefix=1)
            self.assertLinksServe(result, b"tajne")
            shown += result.starting("shown")
        stored = server.files()
        self.assertEqual(2, len(stored), stored)
        for name in stored:
            self.assertRegex(name, r"^[a-z0-9]{10}_umowa\.pdf$")
        self.assertEqual(sorted("shown XY/1/alice: http://127.0.0.1/pliki/" + name.replace("_", "%5F")
                                for name in stored), sorted(shown))

    def test_sizes_around_the_read_chunk_and_the_send_block_arrive_whole(self):
        server = self.start_server()
        self.serve_web(server)
        self.host.configure(**SERVER)
        files = {"plik%d.bin" % size: os.urandom(size) for size in (4095, 4096, 65535, 65536, 65537, 3 * 65536)}
        paths = [harness.windows_path(self.local_file(name, data)) for name, data in files.items()]
        result = self.host.run("--forget-contact", "send-as-plugin", *paths)
        self.assertEqual(len(files), len(result.starting("shown XY/1/alice: ")), result)
        self.assertLinksServe(result, *files.values())
        for name, data in files.items():
            self.assertEqual(data, server.read(name), name)

    # The release as a user gets it: its sums hold, its guide names its
    # version, and its DLL, unpacked into a fresh profile's plug-ins folder, sends.
    def test_release_zip_unpacked_into_the_plugins_folder_sends_a_file(self):
        release = subprocess.run([os.path.join(harness.ROOT, "scripts", "release"), os.path.dirname(harness.BIN)],
                                 check=True, capture_output=True, text=True).stdout.strip()
        with open(release + ".sha256") as f:
            self.assertEqual(sha256(release) + "  " + os.path.basename(release), f.read().strip())
        plugins = os.path.join(self.host.profile, "plugins")
        zipfile.ZipFile(release).extractall(plugins)
        with open(os.path.join(plugins, "SHA256SUMS")) as f:
            sums = dict(reversed(line.split("  ", 1)) for line in f.read().splitlines())
        self.assertEqual({"Vornix.dll", "CZYTAJ.txt", "licencje/POCO.txt", "licencje/OpenSSL.txt", "licencje/libssh2.txt",
                          "licencje/MinGW-w64.txt", "licencje/GCC-runtime.txt"}, set(sums))
        for name, digest in sums.items():
            self.assertEqual(digest, sha256(os.path.join(plugins, name)), name)
        version = re.search(r"Vornix-(\d+\.\d+\.\d+)\.zip$", release).group(1)
        with open(os.path.join(plugins, "CZYTAJ.txt"), encoding="utf-8-sig") as f:
            self.assertIn("Vornix " + version + ":", f.readline())

        server = self.start_server()
        self.host.plugin = os.path.join(plugins, "Vornix.dll")
        path, result = self.upload("a.txt", b"abc")
        self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/a.txt"], result.starting(("sent", "shown")), result)
        self.assertEqual(b"abc", server.read("a.txt"))

    # Keys typed into a conversation stay there while a send that another
    # plug-in started runs and ends, and when it fails before its window shows.
    def test_the_conversation_keeps_the_keyboard_while_a_send_runs(self):
        for password, boxes in (("secret", 0), ("wrong", 1)):
            with self.subTest(password=password):
                server = self.start_server()
                self.host.configure(**dict(SERVER, autoClose=0, password=password))
                path = harness.windows_path(self.local_file("a.txt", b"abc"))
                result = self.host.run("--typing", "send-as-plugin", path)
                server.stop()
                self.servers.remove(server)
                self.assertEqual(boxes, len(result.starting("message box")), result)
                self.assertEqual(["focus: the conversation's typing box"], result.starting("focus"))

    # Another plug-in may pass a number as the contact's id: it goes back to
    # the messenger unread with the link, and the list of sent files names
    # the contact's network.
    def test_a_number_as_the_contact_id_goes_back_unread(self):
        self.start_server()
        self.host.configure(**SERVER)
        path = harness.windows_path(self.local_file("a.txt", b"abc"))
        result = self.host.run("--contact", "XY/1/#12345", "send-as-plugin", path)
        self.assertEqual(["shown XY/1/#12345: http://127.0.0.1/pliki/a.txt"], result.starting(("sent", "shown")))
        rows = self.host.run("sent").starting("sent-file ")
        self.assertEqual(1, len(rows), rows)
        self.assertEqual("XY/1", rows[0].split(" | ")[1])

    def test_password_is_stored_protected_and_one_protected_elsewhere_is_never_sent(self):
        server = self.start_server()
        self.host.configure(**SERVER)
        config = os.path.join(self.host.profile, "Vornix.cfg")
        with open(config, encoding="utf-16", newline="") as f:
            text = f.read()
        self.assertNotIn("secret", text)
        self.assertIn("\tcfg/Vornix/password\t{DPAPI}", text)
        # As protected by another Windows user: this one cannot unprotect it.
        with open(config, "w", encoding="utf-16", newline="") as f:
            f.write(re.sub(r"(\tcfg/Vornix/password\t)\{DPAPI\}[^\r\n]+", r"\1{DPAPI}AQAAANCMnd8BFdERjHoAwE", text))
        result = self.host.run("--file", harness.windows_path(self.local_file("a.txt", b"abc")), "send")
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - FTP Error": '), boxes)
        self.assertIn("Wpisz hasło ponownie", boxes[0])
        self.assertEqual([], server.commands())

    def assertTakenBack(self, server, result):
        """Nothing stored, shown, sent or reported; the window left open."""
        self.assertEqual(0, result.code, result)
        self.assertEqual([], server.files(), "%r\n%s" % (result, server.commands()))
        self.assertIn("DELE big.bin", server.commands())
        self.assertEqual([], result.starting(("shown", "sent", "message box")))

    def test_abort_with_the_bar_full_still_takes_the_file_back(self):
        # The socket buffers swallow the whole file while the server needs 6 s for it.
        server = self.start_server("--throttle", "100000")
        _, result = self.upload("big.bin", os.urandom(600000), "--abort-at", "600000")
        self.assertTakenBack(server, result)
        self.assertNotIn("Zakończono", result.starting("window")[0])

    # A server slow to answer the goodbye does not hold the link back: it is
    # in the conversation before the messenger closes at 4 s.
    def test_the_link_goes_before_the_goodbye(self):
        server = self.start_server("--delay", "QUIT=8")
        _, result = self.upload("a.txt", b"abc", "--unload-after", "4")
        self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/a.txt"], result.starting(("sent", "shown")))
        self.assertEqual(b"abc", server.read("a.txt"))

    # The bytes are all sent and the server slow to tell the stored size:
    # until the file is settled the abort wins.
    def test_abort_while_the_stored_size_is_checked_takes_the_file_back(self):
        server = self.start_server("--delay", "SIZE=3")
        _, result = self.upload("big.bin", os.urandom(1000), "--abort-at", "1000")
        self.assertTakenBack(server, result)

    def close_during_upload(self, size, *server_options, within=40):
        server = self.start_server(*server_options)
        started = time.time()
        _, result = self.upload("big.bin", os.urandom(size), "--unload-after", "2")
        self.assertLess(time.time() - started, within)
        self.assertTakenBack(server, result)

    def test_closing_the_messenger_stops_the_upload_and_removes_the_partial_file(self):
        self.close_during_upload(40000000, "--throttle", "1000000")

    def test_closing_the_messenger_with_the_bar_full_still_takes_the_file_back(self):
        self.close_during_upload(600000, "--throttle", "100000")

    def test_closing_the_messenger_while_the_upload_starts_does_not_wait_for_the_window(self):
        # Showing the window must not wait for the messenger's thread, which
        # waits for the job: that would hold the exit for the 15 s bound.
        self.close_during_upload(1000, "--delay", "STOR=4", within=12)

    def test_unreadable_file_is_not_stored_cut_short(self):
        # Wine does not make reads honour another program's byte-range lock,
        # so a file whose every read fails (EIO) stands in for it.
        server = self.start_server()
        self.host.configure(**SERVER)
        result = self.host.run("send-as-plugin", harness.windows_path("/proc/self/mem"))
        self.assertEqual(['message box "Vornix - I/O Error": I/O error: Nie można odczytać pliku do końca'],
                         result.starting("message box"), result)
        self.assertEqual([], server.files(), server.commands())
        self.assertIn("DELE mem", server.commands())
        self.assertEqual([], result.starting(("shown", "sent")))

    def test_server_address_may_carry_a_port(self):
        server = self.start_server("--port", "2121")
        self.serve_web(server)
        _, result = self.upload("p.txt", b"port", ftpHost="127.0.0.1:2121")
        self.assertEqual(0, result.code, result)
        self.assertEqual(b"port", server.read("p.txt"))
        self.assertLinksServe(result, b"port")

    def test_upload_into_the_configured_directory(self):
        server = self.start_server()
        os.makedirs(os.path.join(server.root, "pub", "in"))
        self.serve_web(server)
        _, result = self.upload("d.txt", b"dir", dir="pub/in", httpHost="http://127.0.0.1/pliki/pub/in")
        self.assertEqual(0, result.code, result)
        self.assertEqual(b"dir", server.read("pub/in/d.txt"))
        self.assertLinksServe(result, b"dir")
        self.assertIn("CWD pub/in", server.commands())


class UploadFailureTest(harness.EndToEndTest):
    def send(self, name="f.txt", data=b"data", options=(), **settings):
        self.host.configure(**dict(SERVER, **settings))
        path = self.local_file(name, data)
        return self.host.run("--file", harness.windows_path(path), *options, "send")

    def boxes(self, result):
        return result.starting("message box")

    def test_empty_host_is_reported_without_any_connection(self):
        server = self.start_server()
        result = self.send(ftpHost="", autoClose=0)
        self.assertEqual(['message box "Vornix - FTP Error": FTP Exception: Uzupełnij adres serwera FTP w konfiguracji'],
                         self.boxes(result))
        self.assertEqual([], server.commands())
        windows = result.starting("window")
        self.assertEqual(1, len(windows))
        self.assertTrue(windows[0].startswith('window "FTP - postęp wysyłania" (never shown) open:'), windows)

    def test_missing_local_file_after_login_and_listing(self):
        server = self.start_server()
        self.host.configure(**SERVER)
        missing = harness.windows_path(os.path.join(self.workdir, "nie ma.txt"))
        result = self.host.run("send-as-plugin", missing)
        self.assertEqual(['message box "Vornix - I/O Error": I/O error: Nie można otworzyć tego pliku'],
                         self.boxes(result))
        commands = server.commands()
        self.assertIn("NLST", commands)
        self.assertFalse([c for c in commands if c.startswith("STOR")], commands)
        self.assertEqual(['window "FTP - postęp wysyłania" (never shown) closed: Nazwa | Postęp | Prędkość | Pozostało'],
                         result.starting("window"))

    def test_refused_connection(self):
        result = self.send()
        boxes = self.boxes(result)
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - Connection Error": '), boxes)

    def test_silent_server_times_out(self):
        self.start_server("--silent")
        started = time.time()
        result = self.send()
        self.assertLess(time.time() - started, 40)
        self.assertEqual(['message box "Vornix - Timeout": Timeout'], self.boxes(result))

    def test_settings_with_line_breaks_never_reach_the_server(self):
        server = self.start_server()
        server.write("victim.txt")
        result = self.send(dir="pub\r\nDELE victim.txt")
        self.assertEqual(['message box "Vornix - FTP Error": FTP Exception: Ustawienia serwera FTP nie mogą zawierać '
                          'znaków nowego wiersza'], self.boxes(result))
        self.assertEqual([], server.commands())
        self.assertIn("victim.txt", server.files())

    def test_paths_past_255_characters_and_outside_the_code_page_are_taken(self):
        server = self.start_server("--password", "пароль")
        self.host.configure(**dict(SERVER, password="пароль"))
        deep = os.path.join(self.workdir, "d" * 120, "e" * 120)
        paths = [self.local_file("文件.txt", b"x"), self.local_file(os.path.join(deep, "f.txt"), b"y")]
        result = self.host.run("send-as-plugin", *map(harness.windows_path, paths))
        self.assertEqual([], self.boxes(result), result)
        self.assertEqual(["f.txt", "文件.txt"], server.files())
        self.assertIn("PASS пароль", server.commands())

    # The server refuses the file, or stores it with a size other than sent.
    def test_refused_store(self):
        for option, box in (
                ("STOR=553", 'message box "Vornix - FTP Error": FTP Exception: STOR command failed'),
                ("SIZE=213 3", 'message box "Vornix - I/O Error": I/O error: Serwer przechowuje plik o innym '
                               'rozmiarze niż wysłany, więc go usunięto i nie wysłano linku: f.txt')):
            with self.subTest(option=option):
                server = self.start_server("--refuse" if option.startswith("STOR") else "--reply", option)
                result = self.send()
                server.stop()
                self.servers.remove(server)
                boxes = self.boxes(result)
                self.assertEqual(1, len(boxes), result)
                self.assertTrue(boxes[0].startswith(box), boxes)
                self.assertEqual([], server.files())
                self.assertEqual([], result.starting("shown"))

    # The first STOR is refused (425) while another writer puts its own f.txt
    # there, shorter or longer than the file: the retry never appends to it
    # or removes it, and the file goes whole under a name of its own.
    def test_file_another_writer_put_there_during_a_retry_is_left_alone(self):
        data = os.urandom(3000)
        # The last server leaves the stranger's name out of its listing.
        for foreign, hidden in ((22, ()), (5000, ()), (22, ("--hidden", "f.txt"))):
            with self.subTest(foreign=foreign, hidden=hidden):
                server = self.start_server("--foreign-before-store", str(foreign), *hidden)
                for name in server.files():
                    os.remove(os.path.join(server.root, name))
                open(server.log, "w").close()
                result = self.send(data=data)
                server.stop()
                self.servers.remove(server)
                self.assertEqual([], self.boxes(result), result)
                self.assertEqual(b"x" * foreign, server.read("f.txt"))
                stored = [name for name in server.files() if name != "f.txt"]
                self.assertEqual(1, len(stored), server.files())
                self.assertRegex(stored[0], r"^\d+_f\.txt$")
                self.assertEqual(data, server.read(stored[0]))
                link = "http://127.0.0.1/pliki/" + stored[0].replace("_", "%5F")
                self.assertEqual(["shown XY/1/alice: " + link], result.starting("shown"))
                self.assertNotIn("DELE f.txt", server.commands())

    # Cut on every try: the job connects four times, then shows the box. An
    # abort while it waits to connect again ends the send there and then.
    def test_data_connection_dropped_mid_transfer_removes_the_partial_file(self):
        server = self.start_server("--drop-upload-after", "200000")
        result = self.send(data=os.urandom(30000000))
        boxes = self.boxes(result)
        self.assertEqual(1, len(boxes), result)
        self.assertRegex(boxes[0], r'message box "Vornix - (Connection|FTP) Error": ')
        self.assertEqual(4, len([c for c in server.commands() if c.startswith("PASS")]), server.commands())
        self.assertIn("DELE f.txt", server.commands())
        self.assertEqual([], server.files())
        self.assertEqual([], result.starting("shown"))

        open(server.log, "w").close()
        result = self.send(data=os.urandom(30000000), options=("--abort-on", "Wznawianie"))
        self.assertEqual([], result.starting(("message box", "shown")), result)
        self.assertEqual(1, len([c for c in server.commands() if c.startswith("PASS")]), server.commands())
        self.assertIn("DELE f.txt", server.commands())
        self.assertEqual([], server.files())
        windows = result.starting("window")
        self.assertTrue(windows[0].endswith(" | Wznawianie wysyłania (próba 2 z 4)…"), windows)

    # Cut once at 60%: the file continues where the server has it, with REST
    # and STOR, with APPE where REST is refused, or anew where both are,
    # always under the name chosen at the start.
    def test_data_connection_cut_once_resumes_and_the_file_arrives_whole(self):
        data = os.urandom(3000000)
        for refused, resumed in (((), r"REST 1[89]\d{5}"), (("REST",), "APPE f.txt"), (("REST", "APPE"), "STOR f.txt")):
            with self.subTest(refused=refused):
                server = self.start_server("--drop-upload-after", "1800000", "--cuts", "1",
                                           *[word for command in refused for word in ("--refuse", command + "=502")])
                result = self.send(data=data)
                server.stop()
                self.servers.remove(server)
                self.assertEqual([], self.boxes(result), result)
                self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/f.txt"], result.starting("shown"), result)
                self.assertEqual(["f.txt"], server.files())
                self.assertEqual(data, server.read("f.txt"))
                commands = server.commands()
                self.assertEqual(2, len([c for c in commands if c.startswith("PASS")]), commands)
                after_cut = commands[commands.index("STOR f.txt") + 1:]
                self.assertTrue([c for c in after_cut if re.fullmatch(resumed, c)], commands)
                os.remove(os.path.join(server.root, "f.txt"))
                os.remove(server.log)


if __name__ == "__main__":
    harness.main()
