"""Reads the running editor's accessibility tree through AT-SPI, as a screen reader does, and
checks that the work page's fields are announced by their captions."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

APP_NAME = "Электронный паспорт работы"
EXPECTED_FIELDS = [
    "Название:",
    "Описание:",
    "Технические требования:",
    "Порядок знакомства:",
    "Индекс:",
    "Адрес:",
    "Телефон:",
    "Эл. адрес:",
]
TEXT_ROLES = {Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.PASSWORD_TEXT}


def find_application(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == APP_NAME:
                return app
        time.sleep(0.2)
    return None


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def main():
    app = find_application(30)
    if app is None:
        print("FAIL: the editor did not appear on the accessibility bus")
        return 1
    text_names = set()
    for node in walk(app):
        try:
            if node.get_role() in TEXT_ROLES:
                text_names.add(node.get_name())
        except Exception:  # an object that went away while walking
            continue
    missing = [name for name in EXPECTED_FIELDS if name not in text_names]
    if missing:
        print("FAIL: fields not announced by their captions: " + ", ".join(missing))
        print("text fields seen: " + ", ".join(sorted(n for n in text_names if n)))
        return 1
    print("PASS: the work page's fields are announced by their captions")
    return 0


if __name__ == "__main__":
    sys.exit(main())
