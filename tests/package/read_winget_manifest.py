"""Reads a release's winget manifest back as winget would, with a YAML library.

    read_winget_manifest.py FOLDER VERSION SETUP_SHA256

Fails (exit status 1, one line) where the manifest breaks what winget and its
reviewers read: a version or date that is no string (a YAML reader turns an
unquoted 1.10 into a number and 2026-01-01 into a date), files of another
package or version, an installer that is not the release's. Then prints
KEY=VALUE lines (switches, return codes, registration) for install_test.sh to
compare with what the installer really does.
"""
import pathlib
import sys

import yaml

KINDS = {"": "version", ".installer": "installer", ".locale.en-US": "defaultLocale",
         ".locale.ja-JP": "locale"}


def fail(text):
    sys.exit(f"package_install: the winget manifest: {text}")


def check_strings(node, where):
    if isinstance(node, dict):
        for key, value in node.items():
            if key.endswith(("Version", "Date")) and not isinstance(value, str):
                fail(f"{where}: {key} is {value!r}, not a string")
            check_strings(value, where)
    elif isinstance(node, list):
        for value in node:
            check_strings(value, where)


def main(folder, version, sha256):
    folder = pathlib.Path(folder)
    names = {f"Varominea.Varominea{suffix}.yaml": kind for suffix, kind in KINDS.items()}
    found = sorted(p.name for p in folder.iterdir())
    if found != sorted(names):
        fail(f"the folder holds {found}")
    m = {}
    for name, kind in names.items():
        m[kind] = yaml.safe_load((folder / name).read_text(encoding="utf-8"))
        check_strings(m[kind], name)
        for key, value in (("PackageIdentifier", "Varominea.Varominea"),
                           ("PackageVersion", version), ("ManifestType", kind),
                           ("ManifestVersion", "1.10.0")):
            if m[kind].get(key) != value:
                fail(f"{name}: {key} is {m[kind].get(key)!r}, not {value!r}")
    if m["version"].get("DefaultLocale") != "en-US" or m["locale"].get("PackageLocale") != "ja-JP":
        fail("the locales are not en-US (the default) and ja-JP")
    for kind in ("defaultLocale", "locale"):
        if m[kind].get("License") != "MIT" or not all(
                isinstance(m[kind].get(key), str) and m[kind][key].strip()
                for key in ("PackageName", "ShortDescription", "Description")):
            fail(f"the {kind} manifest lacks the license, the name or a description")
    installer = m["installer"]
    if (installer.get("InstallerType"), installer.get("Scope")) != ("nullsoft", "machine"):
        fail("the installer is not a nullsoft one for the machine")
    if len(installer.get("Installers", [])) != 1:
        fail("not exactly one installer")
    one = installer["Installers"][0]
    if one.get("Architecture") != "x64" or str(one.get("InstallerSha256")).lower() != sha256:
        fail(f"the installer is {one}, not the x64 one with the SHA-256 {sha256}")
    if not str(one.get("InstallerUrl")).endswith(f"/Varominea-{version}-setup.exe"):
        fail(f"InstallerUrl is {one.get('InstallerUrl')!r}")
    switches = installer.get("InstallerSwitches", {})
    entry = installer.get("AppsAndFeaturesEntries", [{}])[0]
    codes = " ".join(f"{c.get('InstallerReturnCode')}:{c.get('ReturnResponse')}"
                     for c in installer.get("ExpectedReturnCodes", []))
    print(f"silent={switches.get('Silent')}")
    print(f"silent_progress={switches.get('SilentWithProgress')}")
    print(f"codes={codes}")
    print(f"display_name={entry.get('DisplayName')}")
    print(f"publisher={entry.get('Publisher')}")
    print(f"display_version={entry.get('DisplayVersion')}")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
