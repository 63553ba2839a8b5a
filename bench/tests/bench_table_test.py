"""scripts/bench_table.py: the table rows made from a results file, and the markers."""
import importlib.util
import json
import os
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "bench_table.py")
loader_info = importlib.util.spec_from_file_location("bench_table", SCRIPT)
bench_table = importlib.util.module_from_spec(loader_info)
loader_info.loader.exec_module(bench_table)


def load_fixture():
    with open(os.path.join(HERE, "bench_table_fixture.json"), encoding="utf-8") as f:
        return json.load(f)


def row_of(text, label_start):
    rows = [line for line in text.splitlines() if line.startswith("| " + label_start)]
    assert len(rows) == 1, (label_start, text)
    return [cell.strip() for cell in rows[0].strip("|").split(" | ")]


class RenderTest(unittest.TestCase):
    def setUp(self):
        self.text = bench_table.render(load_fixture())

    def test_missed_target_shows_figures_ratio_and_verdict(self):
        self.assertEqual(
            row_of(self.text, "show 1000"),
            ["show 1000 rows: control vs bare", "1.06 ms (5 %)", "524 us (2 %)", "2.02×", "ratio <= 2", "**MISSED**"],
        )

    def test_undecided_within_spread_and_pipe_in_label(self):
        row = row_of(self.text, "keystroke")
        self.assertEqual(row[0], "keystroke p99 \\| control vs bare")
        self.assertEqual(row[-1], "undecided (within the spread)")

    def test_missing_figure_is_not_measured(self):
        row = row_of(self.text, "resize")
        self.assertEqual(row[1], "not measured")
        self.assertEqual(row[3], "—")
        self.assertEqual(row[-1], "not measured")

    def test_bytes_without_target_and_figure_alone(self):
        self.assertEqual(row_of(self.text, "heap bytes"), ["heap bytes of one more widget", "40.0 KB", "184 B",
                                                          "222.60×", "—", "—"])
        self.assertEqual(row_of(self.text, "move")[2], "—")
        self.assertEqual(row_of(self.text, "move")[-1], "met")

    def test_machine_errors_and_program_without_comparisons(self):
        self.assertIn("load average 0.50 0.40 0.30 at the start and 0.60 0.45 0.30 at the end", self.text)
        self.assertIn("Error: Keystroke/control: the editor's text did not grow by the key", self.text)
        self.assertIn("raw figures in `collection_bench.json`", self.text)
        self.assertNotIn("Short run", self.text)

    def test_short_run_is_marked(self):
        results = load_fixture()
        results["run"]["mode"] = "short"
        self.assertIn("**Short run: small sizes", bench_table.render(results))


class MarkersTest(unittest.TestCase):
    def test_replaces_only_between_markers_and_is_idempotent(self):
        document = "# Results\n\nbefore\n" + bench_table.BEGIN + "\nold table\n" + bench_table.END + "\nafter\n"
        once = bench_table.replace_between_markers(document, "new\n")
        self.assertEqual(once, "# Results\n\nbefore\n" + bench_table.BEGIN + "\nnew\n" + bench_table.END + "\nafter\n")
        self.assertEqual(bench_table.replace_between_markers(once, "new\n"), once)

    def test_missing_markers_fail(self):
        with self.assertRaises(ValueError):
            bench_table.replace_between_markers("no markers\n", "new\n")
        with tempfile.TemporaryDirectory() as d:
            md = os.path.join(d, "R.md")
            with open(md, "w", encoding="utf-8") as f:
                f.write("no markers\n")
            fixture = os.path.join(HERE, "bench_table_fixture.json")
            self.assertEqual(bench_table.main(["table", fixture, md]), 1)
            with open(md, encoding="utf-8") as f:
                self.assertEqual(f.read(), "no markers\n")


class GatherTest(unittest.TestCase):
    def test_gathers_ratios_and_raw_files(self):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "a_bench-ratios.json"), "w", encoding="utf-8") as f:
                json.dump({"comparisons": [{"label": "x", "figure": 1}], "errors": []}, f)
            with open(os.path.join(d, "a_bench.json"), "w", encoding="utf-8") as f:
                json.dump({"context": {"library_build_type": "release"},
                           "benchmarks": [{"name": "x", "repetitions": 5}]}, f)
            out = os.path.join(d, "results.json")
            self.assertEqual(bench_table.main(["gather", "--out", out, "--build-dir", d, "--programs", "a_bench",
                                               "b_bench", "--nproc", "2", "--load-start", "0.1 0.2 0.3",
                                               "--repetitions", "5"]), 0)
            with open(out, encoding="utf-8") as f:
                results = json.load(f)
        self.assertEqual(results["run"]["repetitions"], 5)
        self.assertEqual(results["run"]["mode"], "full")
        self.assertEqual(results["machine"]["nproc"], 2)
        self.assertEqual(results["programs"]["a_bench"]["comparisons"][0]["label"], "x")
        self.assertEqual(results["programs"]["a_bench"]["raw"], "a_bench.json")
        self.assertEqual(results["programs"]["b_bench"], {})


if __name__ == "__main__":
    unittest.main()
