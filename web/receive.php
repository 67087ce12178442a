<?php
// Receives the study record that the game's page sends with ?record=<this script's address>.
// Each piece arrives as POST ?run=RUN&seq=N (RUN 32 lower-case hex digits, one page load; N from
// 0) with the record's next whole lines as its body, and is kept as RUN/N.jsonl in the store: the
// folder TORVANE_STORE names, else torvane-received beside the document root. The records are
// the participants' data, so the store must lie outside the web's reach: while it is inside the
// document root (or this script's folder) nothing is stored.
//
// A piece is stored once and never replaced or cut: the same bytes again are answered 204, other
// bytes 409 (kept aside as RUN/N.conflict-HASH for the researcher to see). Limits, each an
// environment variable (SetEnv, fastcgi_param, or the environment of php -S):
const LIMITS = [
    'TORVANE_MAX_PIECE_BYTES' => 262144,     // one piece's body (413 above)
    'TORVANE_MAX_PIECES' => 10000,           // pieces of a run, seq below it (507 past it)
    'TORVANE_MAX_RUNS' => 10000,             // runs in the store (507 past it)
    'TORVANE_MAX_STORE_BYTES' => 2147483648, // all pieces and conflicts together (507 past it)
];
// The store's running totals, so that no request walks every file.
const USAGE = '.usage';

// Answers with a status and a line saying why; tells the server's error log too when given.
function answer(int $status, string $why = '', string $log = ''): void
{
    if ($log !== '') {
        error_log("torvane receive.php: $log");
    }
    http_response_code($status);
    if ($why !== '') {
        header('Content-Type: text/plain; charset=utf-8');
        echo $why, "\n";
    }
    exit;
}

function setting(string $name): string
{
    $value = $_SERVER[$name] ?? getenv($name);
    return is_string($value) ? $value : '';
}

function limit(string $name): int
{
    $value = setting($name);
    if ($value === '') {
        return LIMITS[$name];
    }
    if (!preg_match('/\A[1-9][0-9]{0,17}\z/', $value)) {
        answer(500, 'the receiver is not set up right', "$name must be a whole number above 0, not '$value'");
    }
    return (int)$value;
}

// PHP's post_max_size in bytes (0: none), as ini shorthand like 8M.
function php_post_limit(): int
{
    $text = trim((string)ini_get('post_max_size'));
    if (!preg_match('/\A([0-9]+)\s*([kmg]?)\z/i', $text, $m)) {
        return 0;
    }
    return (int)$m[1] * [ '' => 1, 'k' => 1 << 10, 'm' => 1 << 20, 'g' => 1 << 30 ][strtolower($m[2])];
}

// Named values of the raw query, each given at most once; other names pass.
function query_values(array $names): array
{
    $found = [];
    foreach (explode('&', $_SERVER['QUERY_STRING'] ?? '') as $pair) {
        $parts = explode('=', $pair, 2);
        $name = urldecode($parts[0]);
        if (in_array($name, $names, true)) {
            if (isset($found[$name]) || count($parts) !== 2) {
                answer(400, "give $name once, as $name=VALUE");
            }
            $found[$name] = urldecode($parts[1]);
        }
    }
    return $found;
}

// run and seq from the raw query: each exactly once, as the page writes them; other names pass.
function piece_address(): array
{
    $found = query_values(['run', 'seq']);
    $run = $found['run'] ?? '';
    $seq = $found['seq'] ?? '';
    if (!preg_match('/\A[0-9a-f]{32}\z/', $run)) {
        answer(400, 'run must be 32 lower-case hex digits');
    }
    if (!preg_match('/\A(0|[1-9][0-9]{0,8})\z/', $seq)) {
        answer(400, 'seq must be a whole number below 10^9 without leading zeros');
    }
    return [$run, (int)$seq];
}

// The body, refused with 413 past the limit whatever Content-Length says.
function piece_body(): string
{
    $limit = limit('TORVANE_MAX_PIECE_BYTES');
    $php = php_post_limit();
    // PHP stops reading a body at post_max_size: a body of exactly that many bytes may be cut.
    $effective = $php > 0 ? min($limit, $php - 1) : $limit;
    $length = $_SERVER['CONTENT_LENGTH'] ?? '';
    if ($length !== '' && (!ctype_digit($length) || strlen($length) > 18 || (int)$length > $effective)) {
        answer(413, "a piece holds at most $effective bytes");
    }
    $input = fopen('php://input', 'rb');
    $body = $input === false ? false : stream_get_contents($input, $effective + 1);
    if ($body === false) {
        answer(400, 'the body could not be read');
    }
    if (strlen($body) > $effective) {
        answer(413, "a piece holds at most $effective bytes");
    }
    if ($body === '') {
        answer(400, 'a piece has at least one line');
    }
    return $body;
}

function is_inside(string $path, string $folder): bool
{
    return $path === $folder || strncmp($path, rtrim($folder, '/') . '/', strlen(rtrim($folder, '/')) + 1) === 0;
}

// The store's folder, made if missing, once it is known to lie outside the web's reach.
function store_folder(): string
{
    $document = setting('DOCUMENT_ROOT');
    $roots = array_filter([$document === '' ? false : realpath($document), realpath(__DIR__)]);
    $store = setting('TORVANE_STORE');
    if ($store === '') {
        if ($document === '') {
            answer(500, 'the receiver is not set up right', 'no DOCUMENT_ROOT to put the store beside: set TORVANE_STORE');
        }
        $store = dirname(rtrim($document, '/')) . '/torvane-received';
    }
    if ($store[0] !== '/' || preg_match('#(\A|/)\.\.?(/|\z)#', $store)) {
        answer(500, 'the receiver is not set up right', "TORVANE_STORE must be an absolute path without . or .., not '$store'");
    }
    // A store not made yet lands where its nearest existing folder is.
    $existing = $store;
    while (!file_exists($existing) && $existing !== '/') {
        $existing = dirname($existing);
    }
    $real = realpath($existing);
    if ($real === false) {
        answer(500, 'the receiver is not set up right', "cannot resolve the store $store");
    }
    foreach ($roots as $root) {
        if (is_inside($real, $root)) {
            answer(500, 'the receiver is not set up right',
                "the store $store is inside the document root or this script's folder $root, where the web could read it; nothing stored");
        }
    }
    if (!is_dir($store) && !@mkdir($store, 0750, true) && !is_dir($store)) {
        answer(500, 'the receiver cannot store pieces', "cannot make the store $store: " . last_error());
    }
    return $store;
}

function last_error(): string
{
    return error_get_last()['message'] ?? 'unknown error';
}

// The store's totals under an exclusive lock held until the script ends: [handle, bytes, runs].
// Made anew from the files when missing or unreadable (delete it after removing runs).
function lock_usage(string $store): array
{
    $handle = @fopen("$store/" . USAGE, 'c+');
    if ($handle === false || !flock($handle, LOCK_EX)) {
        answer(500, 'the receiver cannot store pieces', "cannot lock $store/" . USAGE . ': ' . last_error());
    }
    $text = stream_get_contents($handle);
    if (is_string($text) && preg_match('/\A([0-9]{1,20}) ([0-9]{1,20})\n/', $text, $m)) {
        return [$handle, (int)$m[1], (int)$m[2]];
    }
    $bytes = 0;
    $runs = 0;
    foreach (scandir($store) ?: [] as $run) {
        if (preg_match('/\A[0-9a-f]{32}\z/', $run) && is_dir("$store/$run")) {
            $runs += 1;
            foreach (scandir("$store/$run") ?: [] as $file) {
                $bytes += is_file("$store/$run/$file") ? filesize("$store/$run/$file") : 0;
            }
        }
    }
    save_usage($handle, $bytes, $runs);
    return [$handle, $bytes, $runs];
}

// Fixed width, written over itself: a full disk needs no new block for it.
function save_usage($handle, int $bytes, int $runs): bool
{
    $text = sprintf("%020d %020d\n", $bytes, $runs);
    return rewind($handle) && fwrite($handle, $text) === strlen($text) && fflush($handle);
}

// Writes the bytes aside in the store and links them in as $target, which must not exist yet.
// Returns '' or what went wrong; no temp file is left either way.
function place(string $store, string $target, string $body): string
{
    $temp = "$store/.part-" . bin2hex(random_bytes(8));
    $handle = @fopen($temp, 'xb');
    if ($handle === false) {
        return last_error();
    }
    $ok = @fwrite($handle, $body) === strlen($body) && @fflush($handle) && (!function_exists('fsync') || @fsync($handle));
    $error = $ok ? '' : last_error();
    $ok = @fclose($handle) && $ok;
    if ($ok && !(@chmod($temp, 0640) && @link($temp, $target))) {
        $ok = false;
        $error = last_error();
    }
    @unlink($temp);
    return $ok ? '' : ($error === '' ? 'write failed' : $error);
}

// 507 when the disk is full or over quota, 500 for anything else.
function failed(string $what, string $error): void
{
    $full = preg_match('/no space|quota/i', $error) === 1;
    answer($full ? 507 : 500, $full ? 'the store is full' : 'the receiver cannot store pieces', "$what: $error");
}

function same_bytes(string $file, string $body): bool
{
    return filesize($file) === strlen($body) && file_get_contents($file) === $body;
}

// Other bytes for a piece already kept: kept aside once within the limits, answered 409.
function refuse_conflict(string $store, array $usage, string $run, int $seq, string $body): void
{
    [$handle, $bytes, $runs] = $usage;
    $aside = "$store/$run/$seq.conflict-" . substr(hash('sha256', $body), 0, 16);
    $note = "piece $seq of run $run came again with other bytes; the first is kept";
    if (file_exists($aside)) {
        answer(409, 'this piece is already stored with other bytes', "$note, these already in $aside");
    }
    if ($bytes + strlen($body) > limit('TORVANE_MAX_STORE_BYTES')) {
        answer(409, 'this piece is already stored with other bytes', "$note, these not kept: the store is at its limit");
    }
    $error = place($store, $aside, $body);
    if ($error === '') {
        save_usage($handle, $bytes + strlen($body), $runs);
    }
    answer(409, 'this piece is already stored with other bytes',
        $error === '' ? "$note, these in $aside" : "$note, these not kept: $error");
}

function store_piece(string $run, int $seq, string $body): void
{
    $store = store_folder();
    $usage = lock_usage($store);
    [$handle, $bytes, $runs] = $usage;
    $dir = "$store/$run";
    $name = "$dir/$seq.jsonl";
    if (is_file($name)) {
        if (same_bytes($name, $body)) {
            note_complete($store, $run, $body);
            answer(204);
        }
        refuse_conflict($store, $usage, $run, $seq, $body);
    }
    $newRun = !is_dir($dir);
    $pieces = limit('TORVANE_MAX_PIECES');
    $most = limit('TORVANE_MAX_RUNS');
    $room = limit('TORVANE_MAX_STORE_BYTES');
    if ($seq >= $pieces) {
        answer(507, 'this run has too many pieces', "piece $seq of run $run refused: TORVANE_MAX_PIECES is $pieces");
    }
    if ($newRun && $runs >= $most) {
        answer(507, 'the store holds as many runs as it may', "run $run refused: TORVANE_MAX_RUNS ($most) reached");
    }
    if ($bytes + strlen($body) > $room) {
        answer(507, 'the store is full', "piece $seq of run $run refused: TORVANE_MAX_STORE_BYTES ($room) reached, $bytes stored");
    }
    if ($newRun && !@mkdir($dir, 0750)) {
        failed("cannot make $dir", last_error());
    }
    $error = place($store, $name, $body);
    if ($error !== '') {
        if ($newRun) {
            @rmdir($dir);
        }
        failed("cannot store $name", $error);
    }
    if (!save_usage($handle, $bytes + strlen($body), $runs + ($newRun ? 1 : 0))) {
        error_log("torvane receive.php: $name stored, but its totals not: " . last_error());
    }
    note_complete($store, $run, $body);
    answer(204);
}

// ------------------------------------------------------------------ conditions
// A balanced study asks for its run's condition before it starts: GET ?assign=KEY&n=N&run=RUN
// [&stale=MINUTES][&was=RUN], KEY the study's hash (fnv1a64: and 16 hex digits), N its
// conditions. The answer is the condition with the fewest runs of that study, at random among
// ties, as plain text: runs count that reached their result code (a piece holding it arrived),
// and runs asked for within the stale time (90 minutes unless given) that have not. A run that
// asks again gets its first answer, and so does a reloaded page, which names the run it replaces
// in `was`. The assignments are kept in the store's .assign folder, one file per study, each
// request under that file's lock.
const ASSIGNED = '.assign';

function assign_condition(): void
{
    $given = query_values(['assign', 'n', 'run', 'stale', 'was']);
    $key = $given['assign'] ?? '';
    $n = $given['n'] ?? '';
    $run = $given['run'] ?? '';
    $stale = $given['stale'] ?? '90';
    $was = $given['was'] ?? '';
    if (!preg_match('/\Afnv1a64:([0-9a-f]{16})\z/', $key, $m)) {
        answer(400, 'assign must be a study hash, fnv1a64: and 16 lower-case hex digits');
    }
    if (!preg_match('/\A[1-9][0-9]{0,3}\z/', $n) || !preg_match('/\A[0-9a-f]{32}\z/', $run) ||
        !preg_match('/\A(0|[1-9][0-9]{0,4})\z/', $stale) || (int)$stale > 10080 ||
        ($was !== '' && !preg_match('/\A[0-9a-f]{32}\z/', $was))) {
        answer(400, 'n must be 1 to 9999, run and was 32 lower-case hex digits, stale 0 to 10080 minutes');
    }
    $folder = store_folder() . '/' . ASSIGNED;
    if (!is_dir($folder) && !@mkdir($folder, 0750) && !is_dir($folder)) {
        failed("cannot make $folder", last_error());
    }
    $handle = @fopen("$folder/$m[1].tsv", 'c+');
    if ($handle === false || !flock($handle, LOCK_EX)) {
        failed("cannot lock $folder/$m[1].tsv", last_error());
    }
    // "RUN CONDITION TIME" per run asked for; "moved RUN" for a run a reload of its page replaced.
    $runs = [];
    $moved = [];
    while (($line = fgets($handle)) !== false) {
        if (preg_match('/\A([0-9a-f]{32}) ([0-9]+) ([0-9]+)\n\z/', $line, $entry)) {
            $runs[$entry[1]] = [(int)$entry[2], (int)$entry[3]];
        } elseif (preg_match('/\Amoved ([0-9a-f]{32})\n\z/', $line, $entry)) {
            $moved[$entry[1]] = true;
        }
    }
    if (isset($runs[$run])) {
        answer_condition($runs[$run][0]);
    }
    $now = time();
    if ($was !== '' && isset($runs[$was]) && !isset($moved[$was])) {
        // A reloaded page: the new run takes the old one's condition and place.
        note_assignment($handle, "$run {$runs[$was][0]} $now\nmoved $was\n", $folder);
        answer_condition($runs[$was][0]);
    }
    if (count($runs) >= limit('TORVANE_MAX_RUNS')) {
        answer(507, 'the study has as many runs as the receiver keeps', "run $run not assigned: TORVANE_MAX_RUNS reached");
    }
    $counts = array_fill(0, (int)$n, 0);
    foreach ($runs as $id => [$condition, $asked]) {
        $done = file_exists("$folder/done-$id");
        if (!isset($moved[$id]) && $condition < (int)$n && ($done || $now - $asked < (int)$stale * 60)) {
            $counts[$condition] += 1;
        }
    }
    $fewest = array_keys($counts, min($counts), true);
    $condition = $fewest[random_int(0, count($fewest) - 1)];
    note_assignment($handle, "$run $condition $now\n", $folder);
    answer_condition($condition);
}

function note_assignment($handle, string $lines, string $folder): void
{
    if (@fwrite($handle, $lines) !== strlen($lines) || !@fflush($handle)) {
        failed("cannot note an assignment in $folder", last_error());
    }
}

function answer_condition(int $condition): void
{
    header('Content-Type: text/plain; charset=utf-8');
    echo $condition, "\n";
    exit;
}

// A run whose result code has arrived no longer waits for its condition to go stale.
function note_complete(string $store, string $run, string $body): void
{
    if (strpos($body, '"event":"code"') === false) {
        return;
    }
    $folder = "$store/" . ASSIGNED;
    if ((is_dir($folder) || @mkdir($folder, 0750)) && @touch("$folder/done-$run")) {
        return;
    }
    error_log("torvane receive.php: run $run has its code, but $folder/done-$run could not be made: " . last_error());
}

header('Access-Control-Allow-Origin: *');
header('Cache-Control: no-store');
header('X-Content-Type-Options: nosniff');
$method = $_SERVER['REQUEST_METHOD'] ?? '';
if ($method === 'OPTIONS') {
    header('Access-Control-Allow-Methods: GET, POST, OPTIONS');
    header('Access-Control-Allow-Headers: Content-Type');
    header('Access-Control-Max-Age: 86400');
    answer(204);
}
if ($method === 'GET' && isset($_GET['assign'])) {
    assign_condition();
}
if ($method !== 'POST') {
    header('Allow: GET, POST, OPTIONS');
    answer(405, 'only POST, or GET ?assign=');
}
[$run, $seq] = piece_address();
store_piece($run, $seq, piece_body());
