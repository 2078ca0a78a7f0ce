#!/usr/bin/python3
# A GTK 3 application that copies the way GTK programs do, for the end-to-end tests and the capture benchmark:
#   gtk_clipboard_owner.py text FILE       the file's UTF-8 text through gtk_clipboard_set_text
#   gtk_clipboard_owner.py image FILE      the image file through gtk_clipboard_set_image (GTK then offers every
#                                          format gdk-pixbuf can write and converts on each request)
#   gtk_clipboard_owner.py files PATH...   the files as GTK file managers offer them: x-special/gnome-copied-files,
#                                          text/uri-list and the paths as text
# It shows a window, copies once the window is active and says "ready"; every line on standard input copies the
# same content again (a new clipboard entry) and says "ready" once more. Its WM_CLASS instance is RESOURCE_NAME.
import os
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("GdkPixbuf", "2.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GdkPixbuf, GLib, Gtk  # noqa: E402

GLib.set_prgname(os.environ.get("RESOURCE_NAME", "stowline-gtk-owner"))
SELECTION = Gdk.SELECTION_CLIPBOARD
clipboard = Gtk.Clipboard.get(SELECTION)
window = Gtk.Window(title="clipboard owner")
window.set_default_size(200, 100)


def file_payloads(paths):
    paths = [os.path.abspath(path) for path in paths]
    uris = [GLib.filename_to_uri(path, None) for path in paths]
    return {
        "x-special/gnome-copied-files": "\n".join(["copy"] + uris),
        "text/uri-list": "".join(uri + "\r\n" for uri in uris),
        "UTF8_STRING": "\n".join(paths),
    }


def copier(role, arguments):
    if role == "text":
        with open(arguments[0], encoding="utf-8") as text_file:
            text = text_file.read()
        return lambda: clipboard.set_text(text, -1)
    if role == "image":
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(arguments[0])
        return lambda: clipboard.set_image(pixbuf)
    if role != "files":
        sys.exit(2)
    payloads = file_payloads(arguments)
    # As gtk_clipboard_set_with_data does (Python cannot reach it): the window owns the selection and answers
    # each request for one of its targets.
    window.connect("selection-get", lambda _w, data, info, _t: data.set(data.get_target(), 8,
                                                                       list(payloads.values())[info].encode()))

    def copy_files():
        Gtk.selection_clear_targets(window, SELECTION)
        for index, target in enumerate(payloads):
            Gtk.selection_add_target(window, SELECTION, Gdk.Atom.intern(target, False), index)
        Gtk.selection_owner_set(window, SELECTION, Gdk.CURRENT_TIME)

    return copy_files


copy = copier(sys.argv[1], sys.argv[2:])


def copy_and_say():
    copy()
    print("ready", flush=True)


def again(channel, _condition):
    if not channel.readline():
        return False
    copy_and_say()
    return True


def on_active(*_):
    # The first activation copies; later copies come from standard input.
    if window.is_active():
        window.disconnect_by_func(on_active)
        copy_and_say()
        GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.IO_IN | GLib.IO_HUP, again)


window.connect("notify::is-active", on_active)
window.connect("destroy", Gtk.main_quit)
window.show_all()
window.present()
Gtk.main()
