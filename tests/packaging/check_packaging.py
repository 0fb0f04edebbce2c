"""Checks of what `cmake --install` puts in place and of the Debian package.

    check_packaging.py --build DIR --source DIR --work DIR --app-id ID --version V CHECK

CHECK is one of the commands below. `install` and `package` make what the
others check: a fresh install under WORK/prefix and the .deb under WORK/deb.
"""

import argparse
import configparser
import os
import shutil
import struct
import subprocess
import sys

MAP_TYPE = "application/x-kestrun-map"
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
MAP_MAGIC = bytes.fromhex("785634120200")


class CheckFailed(Exception):
    pass


def run(*command, env=None, cwd=None):
    """Runs a command; returns its stdout and stderr joined. A non-zero exit
    fails the check with the command's output."""
    result = subprocess.run(command, env=env, cwd=cwd, capture_output=True, text=True)
    output = (result.stdout + result.stderr).strip()
    if result.returncode != 0:
        raise CheckFailed(f"{' '.join(command)} exited with {result.returncode}:\n{output}")
    return output


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


class Checks:
    def __init__(self, args):
        self.build = args.build
        self.source = args.source
        self.work = args.work
        self.prefix = os.path.join(args.work, "prefix")
        self.deb_dir = os.path.join(args.work, "deb")
        self.app_id = args.app_id
        self.version = args.version

    def expected_files(self):
        """The installed files, relative to the prefix."""
        files = {
            "bin/kestrun-editor",
            "bin/kmp",
            f"share/applications/{self.app_id}.desktop",
            f"share/mime/packages/{self.app_id}.xml",
            f"share/metainfo/{self.app_id}.metainfo.xml",
            "share/man/man1/kestrun-editor.1.gz",
            "share/man/man1/kmp.1.gz",
            "share/doc/kestrun-editor/copyright",
            "share/doc/kestrun-editor/changelog.gz",
        }
        files |= {f"share/icons/hicolor/{n}x{n}/apps/{self.app_id}.png" for n in ICON_SIZES}
        return files

    def installed(self, relative):
        return os.path.join(self.prefix, relative)

    def deb_path(self):
        arch = run("dpkg", "--print-architecture")
        return os.path.join(self.deb_dir, f"kestrun-editor_{self.version}_{arch}.deb")

    # --- making what is checked ---------------------------------------------
    def install(self):
        shutil.rmtree(self.prefix, ignore_errors=True)
        run("cmake", "--install", self.build, "--prefix", self.prefix)

    def package(self):
        shutil.rmtree(self.deb_dir, ignore_errors=True)
        run("cpack", "--config", os.path.join(self.build, "CPackConfig.cmake"), "-B", self.deb_dir)
        expect(os.path.isfile(self.deb_path()), f"cpack made no {os.path.basename(self.deb_path())}: "
               f"{sorted(os.listdir(self.deb_dir))}")

    # --- the install ----------------------------------------------------------
    def files(self):
        found = set()
        for folder, _, names in os.walk(self.prefix):
            found |= {os.path.relpath(os.path.join(folder, n), self.prefix) for n in names}
        expected = self.expected_files()
        expect(found == expected, f"missing: {sorted(expected - found)}; unexpected: {sorted(found - expected)}")
        for program in ("bin/kestrun-editor", "bin/kmp"):
            expect(os.access(self.installed(program), os.X_OK), f"{program} is not executable")

    def desktop(self):
        entry_path = self.installed(f"share/applications/{self.app_id}.desktop")
        output = run("desktop-file-validate", entry_path)
        expect(output == "", f"desktop-file-validate reports:\n{output}")
        parser = configparser.RawConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(entry_path, encoding="utf-8")
        entry = parser["Desktop Entry"]
        expect(entry.get("Name") == "Kestrunle", f"Name is {entry.get('Name')!r}")
        expect(entry.get("Exec") == "kestrun-editor %f", f"Exec is {entry.get('Exec')!r}")
        expect(entry.get("MimeType") == f"{MAP_TYPE};", f"MimeType is {entry.get('MimeType')!r}")
        expect(entry.get("Comment") and entry.get("Comment[ru]"), "a comment in English and in Russian")
        # What the entry names is in the install: the program and the icon.
        program = entry["Exec"].split()[0]
        expect(os.path.isfile(self.installed(f"bin/{program}")), f"Exec names {program}, not installed")
        expect(entry.get("Icon") == self.app_id, f"Icon is {entry.get('Icon')!r}, the icons are named {self.app_id}")

    def metainfo(self):
        # validate-tree also checks the metainfo against the desktop entry
        # and the icons it finds in the tree.
        run("appstreamcli", "validate-tree", "--no-net", self.prefix)
        with open(self.installed(f"share/metainfo/{self.app_id}.metainfo.xml"), encoding="utf-8") as f:
            text = f.read()
        expect(f"<launchable type=\"desktop-id\">{self.app_id}.desktop</launchable>" in text,
               "the metainfo launches the desktop entry")
        expect("/main-window.png</image>" in text, "the metainfo's screenshot is the main window")
        expect("<project_license>MIT</project_license>" in text, "the metainfo names the MIT licence")
        with open(self.installed("share/doc/kestrun-editor/copyright"), encoding="utf-8") as f:
            copyright_text = f.read()
        with open(os.path.join(self.source, "LICENSE"), encoding="utf-8") as f:
            grant = f.read().split("\n\n", 2)[2].split()  # the licence's words from "Permission" on
        words = [w for w in copyright_text.split() if w != "."]  # DEP-5 writes an empty line as " ."
        expect("\nLicense: MIT\n" in copyright_text and words[-len(grant):] == grant,
               "the copyright file names the MIT licence and ends with its text")
        expect(os.path.isfile(os.path.join(self.source, "docs", "screenshots", "main-window.png")),
               "docs/screenshots/main-window.png, the screenshot the metainfo names, is missing")

    def mime_xml(self):
        run("xmllint", "--noout", self.installed(f"share/mime/packages/{self.app_id}.xml"))

    def xdg_mime(self):
        """The map type and its default application as a desktop sees them,
        in private data folders that hold only this install."""
        root = os.path.join(self.work, "xdg")
        shutil.rmtree(root, ignore_errors=True)
        data = os.path.join(root, "data")
        shutil.copytree(os.path.join(self.prefix, "share"), data)
        for folder in ("home", "config", "system", "files"):
            os.makedirs(os.path.join(root, folder))
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": os.path.join(root, "home"),
               "XDG_DATA_HOME": data, "XDG_DATA_DIRS": os.path.join(root, "system"),
               "XDG_CONFIG_HOME": os.path.join(root, "config"), "XDG_CONFIG_DIRS": os.path.join(root, "config")}
        run("update-mime-database", os.path.join(data, "mime"), env=env)
        run("update-desktop-database", os.path.join(data, "applications"), env=env)

        with open(os.path.join(self.source, "sample", "sample.kmp"), "rb") as f:
            level = f.read()
        cases = [  # file name, content, whether it is a map
            ("level.kmp", level, True),
            ("LEVEL2.KMP", level, True),          # names written on Windows
            ("new.kmp", b"", True),               # the name alone
            ("level.lvl", level, True),           # the content alone: the magic bytes
            ("header-only", MAP_MAGIC, True),
            ("notes.lvl", b"level notes\n", False),
            ("version3.lvl", MAP_MAGIC[:4] + b"\x03\x00" + level[6:], False),
        ]
        for name, content, is_map in cases:
            path = os.path.join(root, "files", name)
            with open(path, "wb") as f:
                f.write(content)
            found = run("xdg-mime", "query", "filetype", path, env=env)
            expect((found == MAP_TYPE) == is_map,
                   f"xdg-mime gives {found!r} for {name}, {'' if is_map else 'not '}expected {MAP_TYPE}")
        default = run("xdg-mime", "query", "default", MAP_TYPE, env=env)
        expect(default == f"{self.app_id}.desktop", f"the default application for maps is {default!r}")

    def icons(self):
        for n in ICON_SIZES:
            with open(self.installed(f"share/icons/hicolor/{n}x{n}/apps/{self.app_id}.png"), "rb") as f:
                head = f.read(26)
            expect(head[:8] == b"\x89PNG\r\n\x1a\n", f"the {n} px icon is not a PNG")
            width, height, _, color_type = struct.unpack(">IIBB", head[16:26])
            expect((width, height) == (n, n), f"the {n} px icon is {width} x {height}")
            expect(color_type == 6, f"the {n} px icon has no alpha channel (PNG colour type {color_type})")

    def man(self):
        programs = os.listdir(self.installed("bin"))
        pages = sorted(os.listdir(self.installed("share/man/man1")))
        expect(pages == sorted(f"{p}.1.gz" for p in programs), f"pages {pages} for programs {programs}")
        env = dict(os.environ, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80")
        for page in pages:
            result = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z",
                                     self.installed(f"share/man/man1/{page}")],
                                    env=env, capture_output=True, text=True)
            expect(result.returncode == 0 and not result.stderr.strip(),
                   f"man reports on {page}:\n{result.stderr}")

    # --- the package ---------------------------------------------------------
    def deb(self):
        deb = self.deb_path()
        field = lambda name: run("dpkg-deb", "--field", deb, name)
        expect(field("Package") == "kestrun-editor", "package name")
        expect(field("Version") == self.version, f"version {field('Version')}")
        depends = [d.split()[0] for d in field("Depends").split(", ")]
        # dpkg-shlibdeps found the libraries the editor links.
        for library in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libc6", "libstdc++6"):
            expect(library in depends, f"{library} is not among the dependencies {depends}")
        expect("qt6-qpa-plugins" in depends, "the package needs Qt's platform plugins to show a window")
        recommends = field("Recommends").split(", ")
        for package in ("qt6-translations-l10n", "fonts-liberation"):
            expect(package in recommends, f"{package} is not among the recommended {recommends}")
        listed = set()
        for line in run("dpkg-deb", "--contents", deb).splitlines():
            path = line.split()[5]
            if not line.startswith("d"):
                listed.add(os.path.relpath(path, "./usr"))
        expected = self.expected_files()
        expect(listed == expected, f"missing: {sorted(expected - listed)}; unexpected: {sorted(listed - expected)}")

    def lintian(self):
        # Every tag lintian still gives would need its reason in docs/installing.md.
        output = run("lintian", "--fail-on", "error,warning", "--info", self.deb_path())
        tags = [line for line in output.splitlines() if line[:2] in ("E:", "W:", "I:")]
        expect(not tags, "lintian reports:\n" + "\n".join(tags))


COMMANDS = {"install": Checks.install, "package": Checks.package, "files": Checks.files,
            "desktop": Checks.desktop, "metainfo": Checks.metainfo, "mime-xml": Checks.mime_xml,
            "xdg-mime": Checks.xdg_mime, "icons": Checks.icons, "man": Checks.man, "deb": Checks.deb,
            "lintian": Checks.lintian}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("check", choices=sorted(COMMANDS))
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    try:
        COMMANDS[args.check](Checks(args))
    except CheckFailed as failure:
        print(f"FAIL {args.check}: {failure}", file=sys.stderr)
        return 1
    print(f"PASS {args.check}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
