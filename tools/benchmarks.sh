#!/bin/sh
# Builds the program and its benchmarks in a release build (build-rel, or
# $BUILD_DIR), runs every benchmark and writes BENCHMARKS.md at the root of
# the repository: the machine, the commands, and each figure beside its
# reference measured in the same run. Not part of the tests; takes a few
# minutes. Needs what tools/setup.sh installs (Google Benchmark, libharu,
# sqlite3, python3, PostgreSQL 15 and its psql).
#
#   tools/benchmarks.sh                     every benchmark, BENCHMARKS.md written
#   tools/benchmarks.sh consulta [ARG...]   the consult window's alone, on both
#                                           engines; its rows printed, the file
#                                           left alone; ARGs go to the benchmark
#                                           (--benchmark_filter=invoices:100000)
set -eu
cd "$(dirname "$0")/.."
only=${1:-}
[ $# -gt 0 ] && shift
case "$only" in
"" | consulta) ;;
*)
    echo "usage: $0 [consulta [BENCHMARK ARGUMENTS...]]" >&2
    exit 2
    ;;
esac
build=${BUILD_DIR:-build-rel}
launcher=
if command -v ccache > /dev/null; then
    launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFALMIDE_BENCHMARKS=ON $launcher \
    > /dev/null
if [ "$only" = consulta ]; then
    cmake --build "$build" --target bench_consulta
else
    cmake --build "$build" --target falmide bench_pdfwriter bench_entry bench_print bench_consulta \
        bench_periodo bench_minimal_window bench_startup_archive
fi

work=$(mktemp -d)
server_state=$work/server
# The server goes with the work folder however the run ends.
finish() {
    sh tests/server/stop-test-server.sh "$server_state" || true
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP
# Every window on the offscreen platform: no display needed, none measured.
export QT_QPA_PLATFORM=offscreen

# The consult window is measured on a database server too: a PostgreSQL
# cluster of the run's own, as the tests start it (127.0.0.1 only, a free
# port, password login through PGPASSFILE), which psql reaches as well.
sh tests/server/start-test-server.sh "$server_state" > /dev/null
set -a
. "$server_state/env"
set +a
FALMIDE_BENCH_SERVER=$FALMIDE_TEST_PGUSER@$FALMIDE_TEST_PGHOST:$FALMIDE_TEST_PGPORT/postgres
export FALMIDE_BENCH_SERVER

python3 - "$build" "$work" "$only" "$@" << 'EOF'
import json, os, platform, re, shutil, statistics, subprocess, sys, tempfile, time

build, work, only, extra = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
falmide = os.path.join(build, "src", "falmide")
commands = []


def bench(program, *arguments, env=None):
    """Runs a Google Benchmark program; its results by benchmark name."""
    path = os.path.join(build, "bench", program)
    out = os.path.join(work, os.path.basename(program) + ".json")
    command = [path, "--benchmark_out=" + out, "--benchmark_out_format=json", *arguments]
    commands.append(" ".join([path, *arguments]))
    print("running", commands[-1], flush=True)
    subprocess.run(command, check=True, env={**os.environ, **(env or {})},
                   stdout=subprocess.DEVNULL)
    with open(out) as f:
        return {b["name"]: b for b in json.load(f)["benchmarks"]}


def bench_peak(program, *arguments, env=None):
    """bench() of one process that also gives its peak resident memory in MiB."""
    path = os.path.join(build, "bench", program)
    out = os.path.join(work, os.path.basename(program) + "-peak.json")
    command = [path, "--benchmark_out=" + out, "--benchmark_out_format=json", *arguments]
    shown = " ".join([f"{k}={v}" for k, v in (env or {}).items()] + [path, *arguments])
    commands.append(shown)
    print("running", shown, flush=True)
    process = subprocess.Popen(command, env={**os.environ, **(env or {})},
                               stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        raise subprocess.CalledProcessError(process.returncode, command)
    with open(out) as f:
        results = {b["name"]: b for b in json.load(f)["benchmarks"]}
    return results, usage.ru_maxrss / 1024


def pick(results, base, *args):
    """The result of benchmark `base` with the given arguments ("invoices:100000")."""
    for name, result in results.items():
        parts = name.split("/")
        if parts[0] == base and all(a in parts for a in args):
            return result
    raise KeyError(base + " " + " ".join(args))


def ms(result):
    factor = {"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1e3}[result["time_unit"]]
    return result["real_time"] * factor


def timed(argv, runs, env=None, shown=None, before=None):
    """Runs a whole process `runs` times, `before()` ahead of each run, untimed;
    the median and lowest wall time in ms."""
    return timed_together(runs, {"argv": argv, "env": env or {}, "shown": shown,
                                 "before": before})[0]


def timed_together(runs, *programs):
    """Whole processes timed in turns, output discarded: each program is a
    dict with `argv` and optionally `env`, `shown` and `before`. One round
    runs each once, and the next round starts one program later, so that
    neither a machine growing slower or faster during the runs nor the
    place in a round favours one. The median and lowest wall time in ms of
    each, in the order given."""
    for program in programs:
        commands.append(program.get("shown") or " ".join(program["argv"]))
        print("running", commands[-1], flush=True)
    times = [[] for _ in programs]
    for round_number in range(runs):
        for step in range(len(programs)):
            index = (round_number + step) % len(programs)
            program = programs[index]
            if program.get("before"):
                program["before"]()
            start = time.perf_counter()
            subprocess.run(program["argv"], check=True,
                           env={**os.environ, **program.get("env", {})},
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[index].append((time.perf_counter() - start) * 1e3)
    return [(statistics.median(t), min(t)) for t in times]


def sqlite_ms(database, statement, runs=5):
    """The sqlite3 shell's own timer for the statement, output discarded."""
    script = ".timer on\n.output /dev/null\n" + statement
    times = []
    for _ in range(runs):
        out = subprocess.run(["sqlite3", "-batch", database], input=script, text=True,
                             capture_output=True, check=True).stdout
        times.append(float(re.search(r"Run Time: real ([0-9.]+)", out).group(1)) * 1e3)
    return statistics.median(times)


def fmt(value):
    return f"{value:,.1f}".replace(",", " ") if value < 100 else f"{value:,.0f}".replace(",", " ")


def row(what, figure, ref_name, ref, note=""):
    ratio = f"{figure / ref:.2f}" if ref else ""
    shown = fmt(ref) if ref else ""
    return f"| {what} | {fmt(figure)} | {ref_name} | {shown} | {ratio} | {note} |"


def psql_ms(database, statement, runs=5):
    """psql's own timer for the statement on the benchmark's server, output discarded."""
    argv = ["psql", "-X", "-q", "-h", os.environ["FALMIDE_TEST_PGHOST"],
            "-p", os.environ["FALMIDE_TEST_PGPORT"], "-U", os.environ["FALMIDE_TEST_PGUSER"],
            "-d", database]
    script = "\\timing on\n\\o /dev/null\n" + statement + "\n"
    times = []
    for _ in range(runs):
        out = subprocess.run(argv, input=script, text=True, capture_output=True,
                             check=True).stdout
        times.append(float(re.search(r"Time: ([0-9.]+) ms", out).group(1)))
    return statistics.median(times)


def consulta_rows():
    """The consult window and its query on 100 000 and 1 000 000 invoices, on the
    embedded file and on the server, beside the sqlite3 and psql shells."""
    results = bench("reports/bench_consulta", *extra, env={"FALMIDE_BENCH_KEEP": work})
    commands[-1] = "FALMIDE_BENCH_KEEP=DIR FALMIDE_BENCH_SERVER=USER@HOST:PORT/postgres " \
        + commands[-1]
    statements = {}
    for engine, name in (("embedded", "consulta.sql"), ("server", "consulta-server.sql")):
        path = os.path.join(work, name)
        if os.path.exists(path):
            with open(path) as f:
                statements[engine] = f.read().strip()

    def get(base, *args):
        try:
            return ms(pick(results, base, *args))
        except KeyError:
            return None

    sizes = sorted({int(m.group(1)) for m in
                    (re.search(r"invoices:(\d+)", name) for name in results) if m})
    rows = []
    target = "target within 2x the embedded file"
    for n in sizes:
        label = f"{n:,}".replace(",", " ")
        size = f"invoices:{n}"
        shell = sqlite_ms(os.path.join(work, f"consulta-{n}", "falmide.db"),
                          statements["embedded"])
        listed = get("BM_AggiornaElencoAllYears", "embedded", size)
        every = get("BM_ConsultaChangeYear", "embedded", "oneYear:0", size)
        opened = get("BM_ConsultaOpen", "embedded", size)
        if listed is not None:
            rows.append(row(f"invoice list query, every year, {label} invoices", listed,
                            "sqlite3 shell, same statement", shell,
                            "the program also totals the fees"))
        if every is not None:
            rows.append(row(f"consult window: every year chosen, grid filled and painted, "
                            f"{label} invoices", every, "sqlite3 shell, same statement", shell))
        if opened is not None:
            rows.append(row(f"consult window opened (latest year), {label} invoices", opened,
                            "", None, "one year of ten; target under 200 ms on a million"))
        on_server = [
            (f"consult window opened (latest year), {label} invoices, on the server",
             get("BM_ConsultaOpen", "server", size), opened, target),
            (f"consult window: every year chosen, grid filled and painted, {label} invoices, "
             "on the server", get("BM_ConsultaChangeYear", "server", "oneYear:0", size), every,
             target),
            (f"invoice list query, every year, {label} invoices, on the server",
             get("BM_AggiornaElencoAllYears", "server", size), listed, ""),
        ]
        for what, server, embedded, note in on_server:
            if server is not None:
                rows.append(row(what, server, "the same on the embedded file", embedded, note))
        if on_server[-1][1] is not None:
            rows.append(row(on_server[-1][0], on_server[-1][1], "psql, same statement",
                            psql_ms(f"falmide_consulta_{n}", statements["server"]),
                            "the program also totals the fees"))
    commands.append("printf '.timer on\\n.output /dev/null\\n%s\\n' "
                    f"'{statements['embedded']}' | sqlite3 -batch DIR/consulta-N/falmide.db"
                    "  # 5 runs each")
    if "server" in statements:
        commands.append("printf '\\\\timing on\\n\\\\o /dev/null\\n%s\\n' "
                        f"'{statements['server']}' | psql -X -q -h HOST -p PORT -U USER "
                        "-d falmide_consulta_N  # 5 runs each")
    return rows


if only == "consulta":
    rows = consulta_rows()
    print("\n".join(["", "| what | ms | reference | ms | ratio | notes |",
                     "|---|---:|---|---:|---:|---|", *rows, "", *commands]))
    sys.exit(0)

# The PDF writer against libharu and QPdfWriter, 1000 pages.
pdf = bench("pdf/bench_pdfwriter")

# The consult window, its databases kept in the work folder for the shells.
consulta = consulta_rows()

# The turnover report, 100 000 invoices.
periodo = bench("reports/bench_periodo")
# The same with the page files in a desktop session's runtime folder: a
# private tmpfs, where the program puts them when $XDG_RUNTIME_DIR names one.
# Without a session (as on a build machine) they go to $TMPDIR or /tmp.
session_runtime = tempfile.mkdtemp(prefix="falmide-runtime-", dir="/dev/shm")
periodo_session = bench("reports/bench_periodo", "--benchmark_filter=BM_FatturatoStampaEsporta",
                        env={"XDG_RUNTIME_DIR": session_runtime})
commands[-1] = "XDG_RUNTIME_DIR=$(mktemp -d -p /dev/shm) " + commands[-1]
shutil.rmtree(session_runtime, ignore_errors=True)
# The same report over 1 000 000 invoices, once; the peak memory is the
# process's, the archive it fills first included.
periodo_million, periodo_million_mib = bench_peak(
    "reports/bench_periodo", "--benchmark_filter=BM_FatturatoStampaEsporta",
    "--benchmark_min_time=0.001", env={"FALMIDE_BENCH_INVOICES": "1000000"})
entry = bench("entry/bench_entry")
printing = bench("print/bench_print")

# One invoice PDF end to end, on a demo database.
home = os.path.join(work, "demo")
subprocess.run([falmide, "demo", "--dir", home], check=True, stdout=subprocess.DEVNULL)
commands.append(f"{falmide} demo --dir DIR")
last = subprocess.run(["sqlite3", os.path.join(home, "falmide.db"),
                       "SELECT substr(Data, 1, 4), Numero FROM Fatture ORDER BY Chiave DESC LIMIT 1"],
                      capture_output=True, text=True, check=True).stdout.strip().split("|")
pdf_out = os.path.join(work, "fattura.pdf")
invoice = timed([falmide, "fattura-pdf", last[0], last[1], "--dir", home, "--output", pdf_out], 10,
                shown=f"{falmide} fattura-pdf {last[0]} {last[1]} --dir DIR --output FILE  # 10 runs")
version = timed([falmide, "--version"], 10, shown=f"{falmide} --version  # 10 runs")

# The period's electronic invoices as a process: per file, and peak memory.
fatturapa_run = subprocess.run([sys.executable, "tools/bench-fatturapa.py", falmide, work, "1000",
                                "10000", "30000"], check=True, capture_output=True, text=True)
fatturapa = [json.loads(line) for line in fatturapa_run.stdout.splitlines()]
commands.append(f"tools/bench-fatturapa.py {falmide} DIR 1000 10000 30000  # /usr/bin/time -v")

# Start-up to the first paint of the main window, as on every start of a day
# but the first (measured below): today's copy of the archives is there
# already. One run, untimed, makes it and is ended once it is on disk.
def make_todays_copy(folder):
    copy = os.path.join(folder, "Backup", time.strftime("falmide-%Y-%m-%d.db"))
    program = subprocess.Popen([falmide], env={**os.environ, "FALMIDE_HOME": folder},
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 300
        while not os.path.exists(copy):
            if program.poll() is not None or time.monotonic() > deadline:
                sys.exit("benchmarks: the program did not make the day's copy")
            time.sleep(0.05)
    finally:
        program.terminate()
        program.wait()


make_todays_copy(home)
commands.append(f"FALMIDE_HOME=DIR {falmide}  # untimed, ended once DIR/Backup has today's copy")
# The program quits once painted, before it opens the archives; and, timed
# beside it, once they are open after the paint (FALMIDE_QUIT_WHEN_READY).
quit_env = {"FALMIDE_QUIT_AFTER_PAINT": "1", "FALMIDE_HOME": home}
ready_env = {"FALMIDE_QUIT_WHEN_READY": "1", "FALMIDE_HOME": home}
minimal_program = os.path.join(build, "bench", "startup", "bench_minimal_window")
startup_runs = 30
startup, startup_ready, minimal = timed_together(
    startup_runs,
    {"argv": [falmide], "env": quit_env,
     "shown": f"FALMIDE_QUIT_AFTER_PAINT=1 FALMIDE_HOME=DIR {falmide}  # {startup_runs} runs, "
              "in turns with the next two"},
    {"argv": [falmide], "env": ready_env,
     "shown": f"FALMIDE_QUIT_WHEN_READY=1 FALMIDE_HOME=DIR {falmide}  # {startup_runs} runs"},
    {"argv": [minimal_program], "env": quit_env,
     "shown": f"FALMIDE_QUIT_AFTER_PAINT=1 {minimal_program}  # {startup_runs} runs"})

# The first start of a day on 100 000 invoices: today's copy is removed
# before each run, so that each is a day's first. The copy begins once the
# archives are open after the paint: the runs that quit when painted never
# reach it, those that quit when ready start it and call it off. One run
# first, untimed, records a clean exit as a user's last day would have.
day_home = os.path.join(work, "startup-100000")
archive_program = os.path.join(build, "bench", "startup", "bench_startup_archive")
subprocess.run([archive_program, day_home], check=True)
commands.append(f"{archive_program} DIR100000")
day_env = {"FALMIDE_QUIT_AFTER_PAINT": "1", "FALMIDE_HOME": day_home}
day_ready_env = {"FALMIDE_QUIT_WHEN_READY": "1", "FALMIDE_HOME": day_home}
subprocess.run([falmide], check=True, env={**os.environ, **day_ready_env},
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def no_copy_today():
    copy = os.path.join(day_home, "Backup", time.strftime("falmide-%Y-%m-%d.db"))
    if os.path.exists(copy):
        os.remove(copy)


first_start, first_ready, minimal_again = timed_together(
    startup_runs,
    {"argv": [falmide], "env": day_env, "before": no_copy_today,
     "shown": f"rm -f DIR100000/Backup/falmide-$(date +%F).db; FALMIDE_QUIT_AFTER_PAINT=1 "
              f"FALMIDE_HOME=DIR100000 {falmide}  # {startup_runs} runs, in turns with the "
              "next two"},
    {"argv": [falmide], "env": day_ready_env, "before": no_copy_today,
     "shown": f"rm -f DIR100000/Backup/falmide-$(date +%F).db; FALMIDE_QUIT_WHEN_READY=1 "
              f"FALMIDE_HOME=DIR100000 {falmide}  # {startup_runs} runs"},
    {"argv": [minimal_program], "env": quit_env,
     "shown": f"FALMIDE_QUIT_AFTER_PAINT=1 {minimal_program}  # {startup_runs} runs"})


# The machine.
def first_match(path, pattern):
    try:
        with open(path) as f:
            m = re.search(pattern, f.read(), re.M)
            return m.group(1).strip() if m else "?"
    except OSError:
        return "?"


cpu = first_match("/proc/cpuinfo", r"^model name\s*:(.*)$")
memory = int(first_match("/proc/meminfo", r"^MemTotal:\s*(\d+)")) / 1024 / 1024
system = first_match("/etc/os-release", r'^PRETTY_NAME="?([^"\n]*)')
cache = open(os.path.join(build, "CMakeCache.txt")).read()
compiler_path = re.search(r"^CMAKE_CXX_COMPILER:\w+=(.*)$", cache, re.M).group(1)
compiler = subprocess.run([compiler_path, "--version"], capture_output=True,
                          text=True).stdout.splitlines()[0]
qt_dir = re.search(r"^Qt6Core_DIR:\w+=(.*)$", cache, re.M).group(1)
qt = "?"
for name in ("Qt6CoreConfigVersionImpl.cmake", "Qt6CoreConfigVersion.cmake"):
    if qt == "?":
        qt = first_match(os.path.join(qt_dir, name), r'set\(PACKAGE_VERSION "([^"]+)"\)')


def mb(result):
    size = result["MB"] if "MB" in result else result.get("file_bytes", 0) / 1e6
    return f"{size:.1f} MB"


lines = [
    "# Benchmarks",
    "",
    "Written by `tools/benchmarks.sh` (release build, `QT_QPA_PLATFORM=offscreen`) on "
    + time.strftime("%Y-%m-%d") + ". Times are wall-clock milliseconds; every reference "
    "was measured in the same run, on the same machine. The machine is a virtual machine "
    "with 2 cores shared with other work, so figures vary from run to run by some tens of "
    "per cent: compare a figure with the reference beside it rather than across runs.",
    "",
    "## Machine",
    "",
    f"- CPU: {cpu}, {os.cpu_count()} cores",
    f"- memory: {memory:.1f} GiB",
    f"- system: {system}, Linux {platform.release()}",
    f"- compiler: {compiler}",
    f"- Qt: {qt}",
    "",
    "## Figures",
    "",
    "| what | ms | reference | ms | ratio | notes |",
    "|---|---:|---|---:|---:|---|",
    row("PDF writer, 1000 pages of 80 lines", ms(pick(pdf, "BM_PdfWriter")),
        "libharu, uncompressed", ms(pick(pdf, "BM_Libharu")), mb(pick(pdf, "BM_PdfWriter"))
        + " against " + mb(pick(pdf, "BM_Libharu"))),
    row("PDF writer, 1000 pages of 80 lines", ms(pick(pdf, "BM_PdfWriter")),
        "QPdfWriter", ms(pick(pdf, "BM_QPdfWriter")),
        mb(pick(pdf, "BM_PdfWriter")) + " against "
        + mb(pick(pdf, "BM_QPdfWriter"))),
]
lines += consulta
own = pick(periodo, "BM_FatturatoStampaEsporta")
page_place = ("$XDG_RUNTIME_DIR" if os.environ.get("XDG_RUNTIME_DIR")
              else os.environ.get("TMPDIR") or "/tmp")
qt_report = pick(periodo, "BM_FatturatoStampaQPdfWriter")
million = pick(periodo_million, "BM_FatturatoStampaEsporta")
lines += [
    row(f"turnover report, 100 000 invoices ({int(own['pages'])} pages), recorded and exported",
        ms(own), "recorded, drawn with QPdfWriter", ms(qt_report),
        f"of which recording {fmt(own['record_ms'])} ms; {mb(own)} against {mb(qt_report)}; "
        f"page files in {page_place}"),
    row(f"turnover report, 100 000 invoices, recorded and exported, page files in the session's "
        "runtime folder (tmpfs)", ms(pick(periodo_session, "BM_FatturatoStampaEsporta")),
        "the same with page files in " + page_place, ms(own),
        f"of which recording {fmt(pick(periodo_session, 'BM_FatturatoStampaEsporta')['record_ms'])} ms"),
    row(f"turnover report, 1 000 000 invoices ({int(million['pages'])} pages), recorded and "
        "exported", ms(million), "the same report on 100 000 invoices", ms(own),
        f"peak memory {periodo_million_mib:.0f} MiB; page files {million['page_MB']:.0f} MB; "
        f"PDF {mb(million)}"),
    row("one invoice PDF, `falmide fattura-pdf` as a process (median of 10)", invoice[0],
        "`falmide --version` as a process", version[0], f"fastest {fmt(invoice[1])} ms"),
    row(f"start-up to the main window painted (median of {startup_runs})", startup[0],
        "minimal Qt Widgets program, same build", minimal[0],
        f"fastest {fmt(startup[1])} ms; demo archives, today's copy made already"),
    row(f"start-up until the archives are open, after the paint (median of {startup_runs})",
        startup_ready[0], "minimal Qt Widgets program, same build", minimal[0],
        f"fastest {fmt(startup_ready[1])} ms; the menus are enabled then"),
    row(f"first start of a day, 100 000 invoices, to the main window painted (median of "
        f"{startup_runs})",
        first_start[0], "minimal Qt Widgets program, same build", minimal_again[0],
        f"fastest {fmt(first_start[1])} ms; the day's copy begins after the paint"),
    row(f"first start of a day, 100 000 invoices, until the archives are open and the day's "
        f"copy has begun (median of {startup_runs})",
        first_ready[0], "minimal Qt Widgets program, same build", minimal_again[0],
        f"fastest {fmt(first_ready[1])} ms; the quit calls the copy off"),
]
small = fatturapa[0]
for result in fatturapa:
    size = f"{result['invoices']:,}".replace(",", " ")
    larger = result is not small
    lines.append(row(
        f"`falmide fatturapa --dal --al`, {size} invoices, per file", result["ms_per_file"],
        "the same, 1 000 invoices" if larger else "", small["ms_per_file"] if larger else None,
        f"peak memory {result['peak_mib']:.1f} MiB; user {result['user_ms_per_file']:.2f} ms "
        "per file; target 2 ms per file on 10 000, memory flat"))
lines += ["", "## Other figures", "", "| benchmark | ms |", "|---|---:|"]
for results in (periodo, entry, printing):
    for name, result in results.items():
        if "Stampa" not in name:
            lines.append(f"| {name} | {fmt(ms(result))} |")
lines += ["", "## Commands", "", "From the repository's folder, in this order (DIR: a scratch folder):", "", "```"]
lines += commands + ["```", ""]
with open("BENCHMARKS.md", "w") as f:
    f.write("\n".join(lines))
print("BENCHMARKS.md written")
EOF
