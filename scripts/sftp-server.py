#!/usr/bin/python3
"""The tests' second SFTP server, an SSH implementation apart from OpenSSH's:
Python's asyncssh on 127.0.0.1, one account with a password (asked by a
keyboard-interactive prompt), a folder as
the root of what it serves. Prints "ready" once it listens."""
import argparse
import asyncio
import warnings

warnings.simplefilter("ignore")  # cryptography's notes on ciphers asyncssh still knows
import asyncssh  # noqa: E402


# The password is taken only as the answer to a keyboard-interactive prompt,
# as servers that check passwords through PAM do: the client must manage both
# ways, and sshd takes it as a password.
class PasswordServer(asyncssh.SSHServer):
    def __init__(self, user, password, then_ask):
        self.user, self.password, self.then_ask = user, password, then_ask
        self.asked_then = False

    def begin_auth(self, username):
        return True

    def password_auth_supported(self):
        return False

    def kbdint_auth_supported(self):
        return True

    def get_kbdint_challenge(self, username, lang, submethods):
        return "", "", "", [("Password: ", False)]

    # With --then-ask, a right password is followed by one more hidden
    # prompt, whose answer is taken whatever it is but empty: a one-time
    # code, say.
    def validate_kbdint_response(self, username, responses):
        if self.asked_then:
            return responses != [""]
        if username != self.user or responses != [self.password]:
            return False
        if not self.then_ask:
            return True
        self.asked_then = True
        return "", "", "", [(self.then_ask, False)]


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--root", required=True)
    p.add_argument("--host-key", required=True)
    p.add_argument("--user", required=True)
    p.add_argument("--password", required=True)
    p.add_argument("--port", type=int, default=22)
    p.add_argument("--then-ask", help="a hidden prompt asked after the right password")
    args = p.parse_args()

    async def listen():
        await asyncssh.create_server(lambda: PasswordServer(args.user, args.password, args.then_ask), "127.0.0.1", args.port,
                                     server_host_keys=[args.host_key], reuse_address=True,
                                     sftp_factory=lambda channel: asyncssh.SFTPServer(channel, chroot=args.root))
        print("ready", flush=True)

    loop = asyncio.new_event_loop()
    loop.run_until_complete(listen())
    loop.run_forever()


if __name__ == "__main__":
    main()
