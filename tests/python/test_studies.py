"""Studies give one table, in one order, with the same bytes, whatever runs them: threads here
with any chunk size, or the worker processes of a Dask cluster, even when one of them dies."""

import os
import pickle
import signal
import threading
import time
import unittest
import warnings

import bldc_emu
from bldc_emu import studies


def table_bytes(table):
    return table.to_csv().encode() + pickle.dumps((table.columns, table.rows))


def slow_study():
    # Slow motors: some 20,000 steps a run, about a hundred runs.
    return studies.Sweep({3: [300, 350, "400"], 10: list(range(70, 101, 2)), 8: [0, 20]})


class LocalStudies(unittest.TestCase):
    def test_the_table_does_not_depend_on_the_chunks(self):
        study = studies.Sweep({10: [20, 40, 60], 8: [0, 10, 20]})
        table = studies.run(study, jobs=1, chunk_size=100)
        self.assertEqual(table.columns[:3],
                         [bldc_emu._core.box_column(10), bldc_emu._core.box_column(8), "RPM"])
        self.assertEqual([row[:2] for row in table.rows][:4],
                         [("20", "0"), ("20", "10"), ("20", "20"), ("40", "0")])
        for jobs, chunk in [(1, 1), (3, 2), (2, None)]:
            other = studies.run(study, jobs=jobs, chunk_size=chunk)
            self.assertEqual(table_bytes(other), table_bytes(table), (jobs, chunk))
        # A point's row is the one-box sweep's row on a scenario with the other box typed.
        s = bldc_emu.Scenario()
        s.set(10, "40")
        alone = bldc_emu.sweep("8=10:10:1", s, zc=True)
        self.assertEqual(table.rows[4][2:], alone.rows[0][1:])
        self.assertEqual(table.to_pandas().shape, (9, len(table.columns)))

    def test_texts_are_checked_once_and_refused_runs_keep_their_place(self):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            study = studies.Sweep({6: ["0", "4k", 8000.0]})
        self.assertEqual(len(caught), 1)
        self.assertIn('read "4" and ignored "k"', str(caught[0].message))
        table = studies.run(study, jobs=2, chunk_size=1)
        self.assertEqual([row[0] for row in table.rows], ["0", "4k", "8000.0"])
        self.assertEqual(table.rows[0][-1], "PWM frequency is 0 Hz: the PWM period is undefined")
        self.assertEqual([len(table.failures), table.rows[2][-1]], [1, None])
        strict = bldc_emu.Scenario(strict=True)
        with self.assertRaises(bldc_emu.EntryError):
            studies.Sweep({6: ["4k"]}, strict)


class ClusterStudies(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        warnings.filterwarnings("ignore", category=DeprecationWarning, module="tornado")
        from dask.distributed import Client, LocalCluster
        cls.cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                   dashboard_address=None, host="127.0.0.1")
        cls.client = Client(cls.cluster)
        cls.expected = table_bytes(studies.run(slow_study(), jobs=1))

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()

    def test_1_two_worker_processes_give_the_same_bytes(self):
        for chunk in [None, 7]:
            table = studies.run(slow_study(), self.client, chunk_size=chunk)
            self.assertEqual(table_bytes(table), self.expected, chunk)

    def test_2_a_worker_killed_mid_study(self):
        pids = self.client.run(os.getpid)
        result = {}
        runner = threading.Thread(target=lambda: result.update(
            table=studies.run(slow_study(), self.client, chunk_size=1)))
        runner.start()

        def finished(dask_scheduler):
            return sum(ts.state == "memory" for ts in dask_scheduler.tasks.values())

        while self.client.run_on_scheduler(finished) < 3 and runner.is_alive():
            time.sleep(0.01)
        self.assertTrue(runner.is_alive(), "the study ended before a worker could be killed")
        os.kill(next(iter(pids.values())), signal.SIGKILL)
        runner.join(60)
        self.assertEqual(table_bytes(result["table"]), self.expected)


if __name__ == "__main__":
    unittest.main()
