#!/usr/bin/env python3
"""Writes Qt Designer forms (.ui) in the layout Qt Designer itself writes:
one element a line, one space of indent a level, texts inline. With
--check, changes nothing and fails when a form is not in that layout.

    tools/format-ui.py [--check] FILE.ui...
"""
import sys
import xml.dom.minidom


def strip_blank_text(node):
    for child in list(node.childNodes):
        if child.nodeType == child.TEXT_NODE and not child.data.strip():
            node.removeChild(child)
        else:
            strip_blank_text(child)


def designer_layout(path):
    with open(path, encoding="utf-8") as f:
        document = xml.dom.minidom.parseString(f.read())
    strip_blank_text(document)
    text = document.documentElement.toprettyxml(indent=" ")
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + text


def main(arguments):
    check = arguments[:1] == ["--check"]
    paths = arguments[1:] if check else arguments
    unformatted = []
    for path in paths:
        formatted = designer_layout(path)
        with open(path, encoding="utf-8") as f:
            current = f.read()
        if current == formatted:
            continue
        if check:
            unformatted.append(path)
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(formatted)
    for path in unformatted:
        print(f"{path}: not in Qt Designer's layout (run tools/format-ui.py {path})")
    return 1 if unformatted else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
