#!/usr/bin/python3
"""vornix-host.exe driven from outside, under Wine, with its own test plug-in.

Arguments: the host executable, TestPlugin.dll, cmake/wine-run, the size of
a pointer in them (4 as in the real messenger, 8 in a 64-bit test build). The plug-in
says in the log what the host gave back; the contact picked for "send" names
the plug-in's scenario.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HOST, PLUGIN, WINE_RUN = sys.argv[1:4]
POINTER_BYTES = int(sys.argv[4])
# The records' sizes as the 32-bit messenger has them, or in a 64-bit build.
PLUGIN_INFO_SIZE, CONTACT_SIZE = (80, 32) if POINTER_BYTES == 4 else (120, 40)
LOAD_LINES = 7  # the plug-in's settings check as it loads
display = None


def setUpModule():
    # One X server for every run: xvfb-run per run would cost a second each.
    global display
    display = subprocess.Popen(['Xvfb', '-displayfd', '1', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    os.environ['DISPLAY'] = ':' + display.stdout.readline().decode().strip()


def tearDownModule():
    display.terminate()
    display.wait()


def windows_path(path):
    return 'Z:' + path.replace('/', '\\')


class Run:
    def __init__(self, status, lines, errors, seconds):
        self.status = status
        self.lines = lines
        self.errors = errors
        self.seconds = seconds

    @property
    def events(self):
        """What happened after the plug-in loaded, up to its unload."""
        return self.lines[LOAD_LINES:]


class HostTest(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix='vornix-host-test-')
        self.profile = os.path.join(self.work, 'profile')

    def tearDown(self):
        shutil.rmtree(self.work)

    def host(self, *arguments, offer='all', status=0):
        """Runs the host; fails unless it ends with STATUS and Wine reported
        no crash (with the crash handler silent a crash still reads 0)."""
        env = dict(os.environ, TESTPLUGIN_OFFER=offer)
        out_path = os.path.join(self.work, 'out')
        err_path = os.path.join(self.work, 'err')
        start = time.monotonic()
        with open(out_path, 'wb') as out, open(err_path, 'wb') as err:
            returned = subprocess.run([WINE_RUN, HOST, '--plugin', PLUGIN, '--profile', self.profile, *arguments],
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env, timeout=120).returncode
        with open(out_path, encoding='utf-8') as out, open(err_path, encoding='utf-8', errors='replace') as err:
            run = Run(returned, out.read().splitlines(), err.read(), time.monotonic() - start)
        self.assertNotIn('Unhandled', run.errors)
        self.assertEqual(status, run.status, run.errors)
        return run

    def file(self, name, content=b'x'):
        path = os.path.join(self.work, name)
        with open(path, 'wb') as f:
            f.write(content)
        return path

    def test_usage_errors_and_a_missing_plugin(self):
        for arguments in (['--bogus', 'x', 'info'], ['fly'], ['--answer', 'perhaps', 'send'], ['options', 'port=21']):
            run = self.host(*arguments, status=2)
            self.assertIn('usage:', run.errors)
        run = self.host('--plugin', os.path.join(self.work, 'none.dll'), 'info', status=1)
        self.assertIn('cannot load', run.errors)

    def test_info_and_settings_that_survive_a_restart(self):
        first = self.host('info')
        self.assertEqual(['log TestPlugin: load', 'log TestPlugin: config TestPlugin.cfg', 'log TestPlugin: runs absent',
                          'log TestPlugin: text absent', 'log TestPlugin: write 1', 'log TestPlugin: short read 1 9',
                          'log TestPlugin: missing 0 mismatch 0'], first.lines[:LOAD_LINES])
        self.assertEqual(['size=%d' % PLUGIN_INFO_SIZE, 'name=TestPlugin', 'description=Wtyczka testowa',
                          'copyright=(c) tests',
                          'author=tests', 'authorContact=tests@example.org', 'website=https://example.org/tests',
                          'emptyText=', 'textCodePage=1200', 'pluginVersion=0x00010203',
                          'minimumCoreVersion=0x00010000', 'apiVersion=0x00010000', 'pluginFlags=0x00000000',
                          'guid={0E5A3C1B-2D4F-4A6B-8C9D-1E2F3A4B5C6D}', 'log TestPlugin: unload'], first.events)
        second = self.host('info')
        self.assertEqual(['log TestPlugin: runs=1', 'log TestPlugin: text intact'], second.lines[2:4])
        self.assertEqual(['TestPlugin.cfg', 'vornix-host.log'], sorted(os.listdir(self.profile)))
        with open(os.path.join(self.profile, 'vornix-host.log'), encoding='utf-8') as log:
            self.assertEqual(2, log.read().count('TestPlugin: runs'))

    def test_contact_menu_and_conversation(self):
        run = self.host('--contact', 'XY/7/chat', '--contact', 'AB/2/bob', 'send')
        self.assertEqual(['log TestPlugin: rebuild WTW/Menu/Contact added 1 invented 0',
                          'log TestPlugin: send to chat XY/7 size %d wParam 0' % CONTACT_SIZE,
                          'shown XY/7/chat: Zażółć\\r\\ngęślą',
                          'sent XY/7/PFMessageSend: Zażółć\\r\\ngęślą',
                          'log TestPlugin: show 1 send 1 null 0',
                          'log TestPlugin: unload'], run.events)

        hidden = self.host('send', offer='none', status=1)
        self.assertIn('no item "Wyślij plik na FTP..."', hidden.errors)
        self.assertEqual('log TestPlugin: rebuild WTW/Menu/Contact offers nothing', hidden.events[0])

        main = self.host('--answer', 'yes', 'clean', offer='none')
        self.assertEqual(['log TestPlugin: rebuild WTW/Menu/Main offers nothing',
                          'message box "TestPlugin": Usunąć wszystko?', 'log TestPlugin: clean yes',
                          'log TestPlugin: unload'], main.events)

    def test_message_boxes_of_a_worker_thread(self):
        for answer in ('yes', 'no'):
            run = self.host('--contact', 'XY/1/question', '--answer', answer, 'send')
            self.assertEqual(['message box "TestPlugin": Czy na pewno?', 'log TestPlugin: answer ' + answer,
                              'message box "TestPlugin - A": Gotowe', 'log TestPlugin: question done',
                              'log TestPlugin: unload'], run.events[2:])

    def test_file_dialog(self):
        chosen = self.file('plain.txt')
        run = self.host('--contact', 'XY/1/file', '--file', chosen, 'send')
        self.assertEqual('log TestPlugin: file %s owner 1' % windows_path(chosen), run.events[2])
        run = self.host('--contact', 'XY/1/file', 'send')
        self.assertEqual(['log TestPlugin: file cancelled', 'log TestPlugin: unload'], run.events[2:])
        run = self.host('--contact', 'XY/1/file', '--file', os.path.join(self.work, 'missing.txt'), 'send')
        # Wine's own "file not found" box, in the language of the Wine prefix.
        self.assertRegex(run.events[2], r'^message box "": \w')
        self.assertEqual(['log TestPlugin: file cancelled', 'log TestPlugin: unload'], run.events[3:])

    def test_plugin_windows_and_abort(self):
        run = self.host('--contact', 'XY/1/windows', 'send')
        self.assertEqual(['window "shown" closed: Nazwa | Postęp',
                          'window "hidden" (never shown) closed: Nazwa | Postęp',
                          'window "flashed" closed: Nazwa | Postęp',
                          'window "kept" open: Nazwa | Postęp', 'log TestPlugin: unload'], run.events[2:])
        run = self.host('--contact', 'XY/1/progress', 'send')
        self.assertEqual(['log TestPlugin: progress finished', 'window "progress" closed: Nazwa | Postęp',
                          'log TestPlugin: unload'], run.events[2:])
        run = self.host('--contact', 'XY/1/progress', '--abort-at', '30000', 'send')
        self.assertRegex(run.events[2], r'^log TestPlugin: aborted at \d+$')
        self.assertTrue(30000 <= int(run.events[2].split()[-1]) < 100000, run.events[2])
        self.assertEqual('window "progress" closed: Nazwa | Postęp', run.events[3])

    def test_options_page(self):
        run = self.host('options')
        self.assertEqual(['log TestPlugin: options 1', 'ftpHost=', 'username=', 'password=', 'dir=', 'httpHost=',
                          'keyFile=', 'expireDays=', 'sendLink=1', 'autoClose=1', 'copyLink=1', 'randomPrefix=1',
                          'verifyLink=1', 'tls=0', 'protocol=0',
                          'log TestPlugin: options 5',
                          'log TestPlugin: unload'], run.events)
        password = 'tajne-' * 50  # longer than the box is wide
        run = self.host('options', 'ftpHost=ftp.example', 'password=' + password, 'dir=/a b', 'sendLink=0', 'tls=2',
                        'protocol=1', 'keyFile=C:\\klucz', 'copyLink=0', 'randomPrefix=0', 'expireDays=7')
        self.assertEqual(['log TestPlugin: options 1', 'log TestPlugin: options 3', 'log TestPlugin: unload'],
                         run.events)
        run = self.host('options')
        self.assertEqual(['ftpHost=ftp.example', 'username=', 'password=' + password, 'dir=/a b', 'httpHost=',
                          'keyFile=C:\\klucz', 'expireDays=7', 'sendLink=0', 'autoClose=1', 'copyLink=0',
                          'randomPrefix=0', 'verifyLink=1', 'tls=2', 'protocol=1'], run.events[1:15])

    def test_send_as_another_plugin(self):
        run = self.host('--contact', 'GG/3/bob', 'send-as-plugin', '/tmp/a.txt')
        self.assertEqual(['log TestPlugin: sendFile Z:\\tmp\\a.txt to bob GG/3', 'log TestPlugin: unload'], run.events)
        run = self.host('send-as-plugin')
        self.assertEqual('log TestPlugin: sendFile (null) to alice XY/1', run.events[0])

    def test_a_plugin_that_never_finishes_times_out(self):
        run = self.host('--contact', 'XY/1/hang', '--timeout', '2', 'send', status=3)
        self.assertIn('timed out after 2 s', run.errors)
        self.assertLess(run.seconds, 30)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
