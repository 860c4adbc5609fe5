#!/usr/bin/python3
"""Serves a directory by FTP on 127.0.0.1 at a port the system chooses (or
the one given), for the tests and for trying the upload by hand: user kvoter,
password kvoter, full rights under the directory.
Usage: ftp_server.py ROOT [PORT]. Prints the port on stdout, stops on SIGTERM."""
import logging
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


class Handler(FTPHandler):
    permit_foreign_addresses = False
    permit_privileged_ports = False
    auth_failed_timeout = 0


def stop(signum, frame):
    raise KeyboardInterrupt


def main():
    root = sys.argv[1]
    logging.basicConfig(level=logging.WARNING)
    logging.getLogger("pyftpdlib").setLevel(logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user("kvoter", "kvoter", root, perm="elradfmw")
    Handler.authorizer = authorizer
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    server = FTPServer(("127.0.0.1", port), Handler)
    signal.signal(signal.SIGTERM, stop)
    print(server.socket.getsockname()[1], flush=True)
    try:
        server.serve_forever(handle_exit=False)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
