#!/usr/bin/env python3
"""Mutation run: how many small faults in the library do the tests catch?

Each mutant is one small change to one line of src/ or companions/ (the test
folders and the Win32 backend excepted): a comparison flipped, an integer
constant moved by one, a statement dropped, && swapped with ||. The mutants
are applied one at a time to a copy of the working tree (so nobody else's
build ever sees one), the copy is rebuilt incrementally, and the tests of the
programs that were relinked run under ctest. A mutant is killed when a test
fails or runs out of time; one that does not build, or that no test program
links, does not count and the next candidate takes its place.

The candidates are ranked by a hash of the seed, the file and the line's own
text (not its number), so the same seed picks the same mutants, and edits
elsewhere in the tree do not reshuffle them.
"""
import argparse
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..'))
SOURCE_EXT = ('.c', '.cc', '.cpp', '.cxx', '.h', '.hh', '.hpp')

CMP_SWAP = {'==': '!=', '!=': '==', '<': '>=', '>=': '<', '>': '<=', '<=': '>'}
CMP_RE = re.compile(r'(?<=\s)(==|!=|<=|>=|<|>)(?=\s)')
LOGIC_RE = re.compile(r'(?<=\s)(&&|\|\|)(?=\s)')
INT_RE = re.compile(r'(?<![\w.\'])(\d+)(?![\w.\'])')
NOT_STATEMENT = re.compile(r'^\s*(return|break|continue|goto|case|default|using|typedef|'
                           r'static_assert|else|do|if|for|while|switch|template|friend|'
                           r'public|private|protected|namespace|class|struct|enum|delete)\b')
SKIP_LINE = re.compile(r'\b(static_assert|assert|ZAVI_LOG\w*|fprintf|printf|snprintf|'
                       r'operator|sizeof|alignas|alignof)\b')


class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted(signal.Signals(signum).name)


def log(*args):
    print(*args, flush=True)


# ---------------------------------------------------------------------------
# The copy of the working tree

def tree_files(rev=None):
    if rev:
        out = subprocess.run(['git', 'ls-tree', '-r', '-z', '--name-only', rev],
                             cwd=ROOT, check=True, capture_output=True).stdout
        return [n for n in out.decode().split('\0') if n]
    out = subprocess.run(['git', 'ls-files', '-co', '--exclude-standard', '-z'],
                         cwd=ROOT, check=True, capture_output=True).stdout
    names = [n for n in out.decode().split('\0') if n]
    return [n for n in names if os.path.isfile(os.path.join(ROOT, n))]


def file_bytes(name, rev):
    if rev:
        return subprocess.run(['git', 'show', f'{rev}:{name}'], cwd=ROOT, check=True,
                              capture_output=True).stdout
    with open(os.path.join(ROOT, name), 'rb') as f:
        return f.read()


def sync_tree(tree, rev=None):
    """Brings the copy up to the working tree (or to commit `rev`). A changed
    file is written with a fresh time, so that ninja always rebuilds what it
    feeds."""
    names = set(tree_files(rev))
    for name in sorted(names):
        dst = os.path.join(tree, name)
        data = file_bytes(name, rev)
        try:
            with open(dst, 'rb') as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            with open(dst, 'wb') as f:
                f.write(data)
    for dirpath, dirnames, filenames in os.walk(tree):
        rel = os.path.relpath(dirpath, tree)
        if rel == '.':
            dirnames[:] = [d for d in dirnames if not d.startswith('build') and d != '.git']
        for fn in filenames:
            name = os.path.normpath(os.path.join(rel, fn))
            if name not in names:
                os.remove(os.path.join(dirpath, fn))
    return sorted(names)


# ---------------------------------------------------------------------------
# Candidates

def strip_code(lines):
    """Blanks comments, string and character literals and preprocessor lines
    (keeping columns), and tells for each line whether it lies inside a
    function body or a control block."""
    out, in_code = [], []
    in_block = False
    stack = []          # kinds of the open braces
    pending = ''        # text since the last ; { or }
    continued = False   # preprocessor continuation
    for line in lines:
        if continued or (not in_block and line.lstrip().startswith('#')):
            continued = line.rstrip().endswith('\\')
            out.append(' ' * len(line))
            in_code.append(False)
            continue
        chars = list(line)
        i, n = 0, len(chars)
        code_at_start = any(k == 'code' for k in stack)
        while i < n:
            c = chars[i]
            if in_block:
                if c == '*' and i + 1 < n and chars[i + 1] == '/':
                    chars[i] = chars[i + 1] = ' '
                    in_block = False
                    i += 2
                    continue
                chars[i] = ' '
                i += 1
                continue
            if c == '/' and i + 1 < n and chars[i + 1] == '/':
                for j in range(i, n):
                    if chars[j] != '\n':
                        chars[j] = ' '
                break
            if c == '/' and i + 1 < n and chars[i + 1] == '*':
                chars[i] = chars[i + 1] = ' '
                in_block = True
                i += 2
                continue
            if c in '"\'':
                if c == '\'' and i > 0 and chars[i - 1].isalnum():
                    i += 1      # digit separator
                    continue
                j = i + 1
                while j < n and chars[j] != c:
                    j += 2 if chars[j] == '\\' else 1
                for k in range(i + 1, min(j, n)):
                    chars[k] = ' '
                i = j + 1
                continue
            if c == '{':
                head = pending
                if re.search(r'\bnamespace\b', head):
                    kind = 'ns'
                elif re.search(r'\b(class|struct|union|enum)\b', head) and '(' not in head:
                    kind = 'type'
                elif re.search(r'=\s*$', head) or (head.strip() == '' and stack and stack[-1] == 'init'):
                    kind = 'init'
                elif '(' in head or re.search(r'\b(else|do|try)\s*$', head) or \
                        any(k == 'code' for k in stack):
                    kind = 'code'
                else:
                    kind = 'init'
                stack.append(kind)
                pending = ''
            elif c == '}':
                if stack:
                    stack.pop()
                pending = ''
            elif c == ';':
                pending = ''
            else:
                pending += c
            i += 1
        text = ''.join(chars)
        out.append(text)
        in_code.append(code_at_start and any(k == 'code' for k in stack) or
                       (code_at_start and text.strip().startswith('}')))
    return out, in_code


def balanced(text):
    depth = 0
    for c in text:
        depth += c == '('
        depth -= c == ')'
        if depth < 0:
            return False
    return depth == 0


def is_declaration(text):
    head = re.split(r'[=({]', text, maxsplit=1)[0].strip()
    head = re.sub(r'<[^<>]*>', '', head)
    words = re.findall(r'[A-Za-z_][\w:]*', head)
    return len(words) >= 2 or text.strip().startswith('auto')


def candidates(path, text):
    lines = text.split('\n')
    stripped, in_code = strip_code(lines)
    result = []
    prev_end = ';'
    for idx, (orig, code) in enumerate(zip(lines, stripped)):
        body = code.strip()
        starts_statement = prev_end in ';{}:' or prev_end == ''
        if body:
            prev_end = body[-1]
        if not in_code[idx] or not body or SKIP_LINE.search(code):
            continue
        if re.match(r'^\s*(static\s+|inline\s+)*(constexpr|const)\b.*=\s*[-\d{(]', code) and \
                not re.search(r'[<>=!]=|[<>]\s|&&|\|\||\w\(', code.split('=', 1)[1]):
            continue    # a named constant
        mutations = []
        for m in CMP_RE.finditer(code):
            op = m.group(1)
            mutations.append(('cmp', m.start(), op, CMP_SWAP[op]))
        for m in LOGIC_RE.finditer(code):
            op = m.group(1)
            mutations.append(('logic', m.start(), op, '||' if op == '&&' else '&&'))
        ints = list(INT_RE.finditer(code))
        if len(ints) <= 3 and not re.search(r'\[\s*\d+\s*\]\s*[;={]', code):
            for m in ints:
                value = int(m.group(1))
                mutations.append(('const', m.start(), m.group(1), None))
        if (starts_statement and not body.startswith("}") and body.endswith(';') and body.count(';') == 1 and
                balanced(body) and not NOT_STATEMENT.match(code) and
                ('(' in body or '=' in body or '++' in body or '--' in body) and
                not is_declaration(body)):
            mutations.append(('drop', len(orig) - len(orig.lstrip()), body, '{}'))
        seen = {}
        for kind, col, old, new in mutations:
            occurrence = seen.get((kind, old), 0)
            seen[(kind, old)] = occurrence + 1
            key = f'{path}|{orig.strip()}|{kind}|{old}|{occurrence}'
            result.append({'file': path, 'line': idx + 1, 'col': col, 'kind': kind,
                           'old': old, 'new': new, 'key': key})
    return result


def apply_mutation(text, m, seed):
    lines = text.split('\n')
    line = lines[m['line'] - 1]
    col, old = m['col'], m['old']
    if m['kind'] == 'drop':
        new_line = line[:col] + '{} // mutant: statement dropped'
        m['new'] = '{}'
    else:
        if m['kind'] == 'const':
            value = int(old)
            up = value == 0 or int(hashlib.sha256(f'{seed}|{m["key"]}'.encode()).hexdigest(), 16) % 2
            m['new'] = str(value + 1 if up else value - 1)
        assert line[col:col + len(old)] == old, (m, line)
        new_line = line[:col] + m['new'] + line[col + len(old):]
    lines[m['line'] - 1] = new_line
    return '\n'.join(lines)


def ranked_candidates(tree, names, compiled, seed):
    pool = []
    for name in names:
        if not name.endswith(SOURCE_EXT):
            continue
        if not (name.startswith('src/') or name.startswith('companions/')):
            continue
        if '/tests/' in name or name.startswith('src/platform/win32/'):
            continue
        if name not in compiled:
            continue
        with open(os.path.join(tree, name), encoding='utf-8', errors='replace') as f:
            pool.extend(candidates(name, f.read()))
    pool.sort(key=lambda m: hashlib.sha256(f'{seed}|{m["key"]}'.encode()).hexdigest())
    return pool


# ---------------------------------------------------------------------------
# Build and tests

def run(cmd, **kw):
    return subprocess.run(cmd, **kw)


def configure(tree, build):
    # Run every time: a build folder made for another commit must list this
    # tree's test programs before they are read and built.
    run(['cmake', '-S', tree, '-B', build, '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=Release',
         '-DZAVI_BUILD_BENCH=OFF', '-DZAVI_BUILD_STRESS=OFF', '-DZAVI_BUILD_FUZZ=OFF'],
        check=True, stdout=subprocess.DEVNULL)


TARGETS = []   # the test programs: tools and examples that no test runs are left out


def build_tree(build, jobs):
    r = run(['ninja', '-C', build, '-j', str(jobs)] + TARGETS, stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT, text=True)
    return r.returncode == 0, r.stdout


def compiled_sources(build, tree):
    """Every source and header that some object of the build reads."""
    out = run(['ninja', '-C', build, '-t', 'deps'], capture_output=True, text=True).stdout
    files = set()
    for line in out.splitlines():
        if line.startswith('    '):
            p = line.strip()
            if not os.path.isabs(p):
                p = os.path.normpath(os.path.join(build, p))
            rel = os.path.relpath(p, tree)
            if not rel.startswith('..'):
                files.add(rel)
    return files


def test_table(build):
    """(ctest number, name, program) of every test; the programs are read
    from the CTestTestfile.cmake files, which name them before they exist."""
    programs = {}
    for dirpath, _, filenames in os.walk(build):
        if 'CTestTestfile.cmake' in filenames:
            with open(os.path.join(dirpath, 'CTestTestfile.cmake')) as f:
                for name, exe in re.findall(r'add_test\(\[=\[(.*?)\]=\] "([^"]+)"', f.read()):
                    programs[name] = os.path.realpath(exe)
    out = run(['ctest', '--test-dir', build, '--show-only=json-v1'],
              capture_output=True, text=True, check=True).stdout
    tests = json.loads(out)['tests']
    return [(number, t['name'], programs.get(t['name'], ''))
            for number, t in enumerate(tests, start=1)]


def executables(table):
    stamps = {}
    for _, _, exe in table:
        try:
            stamps[exe] = os.stat(exe).st_mtime_ns
        except OSError:
            stamps[exe] = None
    return stamps


def run_tests(build, numbers, jobs, timeout, stop):
    env = dict(os.environ, ZAVI_PLATFORM='virtual', SDL_AUDIODRIVER='dummy')
    cmd = ['ctest', '--test-dir', build, '-j', str(jobs), '--timeout', str(timeout)]
    if stop:
        cmd.append('--stop-on-failure')
    if numbers is not None:
        cmd += ['-I', '0,0,0,' + ','.join(str(n) for n in numbers)]
    started = time.time()
    r = run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return r.returncode, r.stdout, time.time() - started


# ---------------------------------------------------------------------------

def main():
    if sys.argv[1:2] == ['--restore']:
        restore_active(os.path.join(sys.argv[2] if len(sys.argv) > 2 else
                                    os.path.join(ROOT, 'build-mutants'), 'active-mutant.json'))
        return 0
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('count', type=int, help='mutants to run')
    ap.add_argument('seed', nargs='?', default='1', help='seed of the choice (default 1)')
    ap.add_argument('--build', default=os.path.join(ROOT, 'build-mutants'))
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--timeout', type=int, default=0, help='seconds per test (default: from the baseline)')
    ap.add_argument('--list', action='store_true', help='only print the chosen candidates')
    ap.add_argument('--rev', help='mutate this commit instead of the working tree (others\' edits in progress stay out)')
    ap.add_argument('--report', help='file for the report (default BUILD/mutants-SEED.txt)')
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    tree = os.path.join(build, 'tree')
    obj = os.path.join(build, 'obj')
    active = os.path.join(build, 'active-mutant.json')
    os.makedirs(tree, exist_ok=True)
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)

    restore_active(active)
    names = sync_tree(tree, args.rev)
    configure(tree, obj)
    table = test_table(obj)
    TARGETS[:] = sorted({os.path.relpath(exe, obj) for _, _, exe in table if exe})
    log(f'building the copy of {args.rev or "the working tree"} in {obj}')
    ok, out = build_tree(obj, args.jobs)
    if not ok:
        sys.exit('the unmutated tree does not build:\n' + out[-4000:])
    compiled = compiled_sources(obj, tree)
    pool = ranked_candidates(tree, names, compiled, args.seed)
    log(f'{len(pool)} candidate mutations in {len({m["file"] for m in pool})} files')
    if args.list:
        for m in pool[:args.count]:
            log(f'{m["file"]}:{m["line"]} {m["kind"]} {m["old"]!r}')
        return 0

    code, out, seconds = run_tests(obj, None, args.jobs, 600, False)
    if code != 0:
        sys.exit('the unmutated tree fails its tests:\n' + out[-4000:])
    longest = max([float(x) for x in re.findall(r'Passed\s+([\d.]+) sec', out)] or [10.0])
    # Generous: on a shared machine a test that takes a second alone can take a
    # minute, and a timeout counts as a kill.
    timeout = args.timeout or int(max(120, longest * 10))
    log(f'baseline: {len(table)} tests pass in {seconds:.0f} s; {timeout} s per test for mutants')

    results = []
    tried = 0
    try:
        for m in pool:
            if len(results) >= args.count:
                break
            if tried >= args.count * 6:
                log('too many candidates that do not build or are not linked; stopping')
                break
            tried += 1
            status, detail = one_mutant(m, tree, obj, table, args, timeout, active)
            where = f'{m["file"]}:{m["line"]}'
            change = f'{m["kind"]}: {m["old"]} -> {m["new"]}'
            log(f'[{len(results) + (status in ("killed", "survived"))}/{args.count}] '
                f'{status:9} {where} {change} {detail}')
            if status in ('killed', 'survived'):
                results.append((status, where, change, detail))
    except Interrupted as e:
        log(f'interrupted ({e}); the tree copy is restored')
        restore_active(active)
        return 130
    finally:
        restore_active(active)

    killed = sum(1 for r in results if r[0] == 'killed')
    lines = [f'seed {args.seed}: {killed}/{len(results)} mutants killed '
             f'({100.0 * killed / max(1, len(results)):.1f}%), {tried - len(results)} '
             f'candidates skipped (did not build or not linked)', 'survivors:']
    lines += [f'  {w}  {c}' for s, w, c, _ in results if s == 'survived']
    lines += ['killed:'] + [f'  {w}  {c}  {d}' for s, w, c, d in results if s == 'killed']
    report = args.report or os.path.join(build, f'mutants-{args.seed}.txt')
    with open(report, 'w') as f:
        f.write('\n'.join(lines) + '\n')
    log('\n'.join(lines))
    log('report written to', report)
    return 0


def restore_active(active):
    """Puts back the file of a mutant still applied (also after a run that was
    killed outright)."""
    if not os.path.exists(active):
        return
    with open(active) as f:
        state = json.load(f)
    with open(state['path'], 'w', encoding='utf-8', newline='') as f:
        f.write(state['original'])
    os.remove(active)


def one_mutant(m, tree, obj, table, args, timeout, active):
    path = os.path.join(tree, m['file'])
    with open(path, encoding='utf-8', newline='') as f:
        original = f.read()
    mutated = apply_mutation(original, m, args.seed)
    before = executables(table)
    with open(active, 'w') as f:
        json.dump({'path': path, 'original': original}, f)
    try:
        with open(path, 'w', encoding='utf-8', newline='') as f:
            f.write(mutated)
        ok, _ = build_tree(obj, args.jobs)
        if not ok:
            return 'no-build', ''
        after = executables(table)
        changed = {exe for exe in after if after[exe] != before.get(exe)}
        numbers = [n for n, _, exe in table if exe in changed]
        if not numbers:
            return 'unlinked', ''
        code, out, seconds = run_tests(obj, numbers, args.jobs, timeout, True)
        if code == 0:
            return 'survived', f'({len(numbers)} tests, {seconds:.0f} s)'
        failed = re.findall(r'\d+ - (\S+) \((Failed|Timeout|SEGFAULT|Subprocess aborted|[^)]*)\)', out)
        first = f'{failed[0][0]} ({failed[0][1]})' if failed else 'ctest failed'
        return 'killed', f'by {first} ({seconds:.0f} s)'
    finally:
        restore_active(active)


if __name__ == '__main__':
    sys.exit(main())
