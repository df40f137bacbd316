"""The installed copy: cmake --install lays it out in a prefix, the prefix is
moved elsewhere, and what it holds is started from another folder.

Arguments: the cmake command, the build folder, the C client, the folder
of the test PKI."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

CMAKE = sys.argv[1]
BUILD, C_CLIENT, PKI = (os.path.abspath(path) for path in sys.argv[2:5])
FOLDER = os.path.join("lib", "tarvex")
PROGRAMS = ["tarvex-keys", "TarvexEdit"]
BOOKS = ["regdoc.xml", "regorg.xml", "regopf.xml"]
LIBRARIES = ["Qim.Tarvex.Lib.so", "libtarvex_com.so"]


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **options)


class InstalledCopyTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="tarvex-install-")
        staged = os.path.join(cls.work, "staged")
        installed = run([CMAKE, "--install", BUILD, "--prefix", staged])
        if installed.returncode != 0:
            raise AssertionError(installed.stdout + installed.stderr)
        # Moved, so that nothing can lean on the place it was installed to.
        cls.prefix = os.path.join(cls.work, "moved", "prefix")
        shutil.move(staged, cls.prefix)
        cls.elsewhere = os.path.join(cls.work, "elsewhere")
        os.mkdir(cls.elsewhere)
        cls.env = dict(os.environ)
        cls.env.pop("LD_LIBRARY_PATH", None)
        for variable in ["TARVEX_CRYPT_USER_ROOT", "TARVEX_CRYPT_MACHINE_ROOT",
                         "TARVEX_COM_REGISTRY_ROOT", "TMP"]:
            cls.env[variable] = os.path.join(cls.work, variable.lower())

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def installed(self, name):
        return os.path.join(self.prefix, FOLDER, name)

    def test_everything_lies_in_one_folder_with_links_to_the_programs(self):
        for name in PROGRAMS + LIBRARIES + BOOKS:
            self.assertTrue(os.path.isfile(self.installed(name)), name)
        for name in PROGRAMS:
            link = os.path.join(self.prefix, "bin", name)
            self.assertEqual(os.readlink(link), os.path.join("..", FOLDER, name))
        for name in PROGRAMS + LIBRARIES:
            dynamic = run(["readelf", "-d", self.installed(name)]).stdout
            runpaths = [line for line in dynamic.splitlines() if "PATH)" in line]
            self.assertEqual(len(runpaths), 1, dynamic)
            self.assertTrue(runpaths[0].endswith("[$ORIGIN]"), runpaths[0])

    def test_the_editor_finds_its_runtime_beside_itself(self):
        libraries = run(["ldd", self.installed("TarvexEdit")], env=self.env).stdout
        runtime = [line for line in libraries.splitlines() if "libtarvex_com.so" in line]
        self.assertEqual(len(runtime), 1, libraries)
        self.assertIn(os.path.realpath(self.installed("libtarvex_com.so")),
                      os.path.realpath(runtime[0].split("=> ")[1].split(" (")[0]))

    def test_the_editor_starts_offscreen_through_its_link_from_another_folder(self):
        env = dict(self.env, QT_QPA_PLATFORM="offscreen",
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"))
        folder = os.path.join(self.work, "editor-started-here")
        os.mkdir(folder)
        editor = subprocess.Popen([os.path.join(self.prefix, "bin", "TarvexEdit")],
                                  cwd=folder, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, text=True)
        try:
            time.sleep(2)
            with open(f"/proc/{editor.pid}/maps") as maps:
                mapped = maps.read()
            self.assertIsNone(editor.poll(), "TarvexEdit ended")
        finally:
            editor.kill()
            output = editor.communicate()[0]
        # Still up in its message loop, with the installed runtime, and it
        # left nothing in the folder it was started from.
        self.assertIn(os.path.realpath(self.installed("libtarvex_com.so")), mapped, output)
        self.assertEqual(os.listdir(folder), [])

    def test_the_key_tool_runs_through_its_link_from_another_folder(self):
        tool = os.path.join(self.prefix, "bin", "tarvex-keys")
        key, certificate = (os.path.join(PKI, "signer." + kind) for kind in ["key", "cer"])
        imported = run([tool, "import", "Ключ установки", key, certificate], cwd=self.elsewhere,
                       env=self.env)
        self.assertEqual(imported.returncode, 0, imported.stderr)
        listed = run([tool, "list"], cwd=self.elsewhere, env=self.env)
        self.assertEqual(listed.returncode, 0, listed.stderr)
        self.assertIn("Ключ установки", listed.stdout)

    def test_a_c_client_loads_the_installed_module_with_its_runtime(self):
        client = run([C_CLIENT, self.installed("Qim.Tarvex.Lib.so")], cwd=self.elsewhere,
                     env=self.env)
        self.assertEqual(client.returncode, 0, client.stdout + client.stderr)
        loaded = dict(line.split(": ", 1) for line in client.stdout.splitlines())
        self.assertEqual(os.path.realpath(loaded["module"]),
                         os.path.realpath(self.installed("Qim.Tarvex.Lib.so")))
        self.assertEqual(os.path.realpath(loaded["runtime"]),
                         os.path.realpath(self.installed("libtarvex_com.so")))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
