#!/usr/bin/env python3
"""Compiler launcher for the fuzz build: clang has no -fexec-charset=CP932, so the narrow
string literals of the source are rewritten as the octal escapes of their code page 932
bytes before clang sees them. u8, u, U, L and raw literals are left as they are.

Used as: cp932_compile.py <compiler> <arguments...>
"""
import os
import re
import sys

SOURCE = re.compile(r".*\.(cpp|cc|cxx)$")


def escaped(text):
    return "".join(ch if ord(ch) < 0x80 else "".join("\\%03o" % b for b in ch.encode("cp932"))
                   for ch in text)


def convert(source):
    out, i, n = [], 0, len(source)
    while i < n:
        if source.startswith("//", i):
            end = source.find("\n", i)
            end = n if end < 0 else end
        elif source.startswith("/*", i):
            end = source.find("*/", i + 2)
            end = n if end < 0 else end + 2
        elif source[i] in "\"'":
            quote = source[i]
            prefix = re.search(r"[A-Za-z0-9_]*$", source[max(0, i - 3):i]).group(0)
            if quote == '"' and prefix.endswith("R"):
                delimiter = source[i + 1:source.find("(", i)]
                end = source.find(")" + delimiter + '"', i) + len(delimiter) + 2
                out.append(source[i:end])
                i = end
                continue
            end = i + 1
            while end < n and source[end] != quote:
                end += 2 if source[end] == "\\" else 1
            end += 1
            literal = source[i:end]
            plain = quote == '"' and prefix not in ("u8", "u", "U", "L")
            out.append(escaped(literal) if plain else literal)
            i = end
            continue
        else:
            end = i + 1
        out.append(source[i:end])
        i = end
    return "".join(out)


def main(argv):
    compiler, args = argv[1], [a for a in argv[2:] if not a.startswith("-fexec-charset=")]
    output = args[args.index("-o") + 1] if "-o" in args else None
    for index, arg in enumerate(args):
        if not SOURCE.match(arg) or output is None:
            continue
        with open(arg, encoding="utf-8") as f:
            source = f.read()
        converted = convert(source)
        if converted != source:
            copy = output + ".cp932.cpp"
            with open(copy, "w", encoding="utf-8") as f:
                f.write(converted)
            args[index] = copy
            args.append("-I" + os.path.dirname(os.path.abspath(arg)))
    os.execvp(compiler, [compiler] + args)


if __name__ == "__main__":
    main(sys.argv)
