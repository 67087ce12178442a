<?php
// Receives the study record that the game's page sends with ?record=<this script's address>.
// Each piece arrives as POST ?run=RUN&seq=N (RUN 32 hex digits, one page load; N from 0) with
// the record's lines as its body, and is kept as torvane-received/RUN/N.jsonl beside this script.
// A piece sent again overwrites itself with the same bytes, so repeats do no harm.
const STORE = __DIR__ . '/torvane-received';

header('Access-Control-Allow-Origin: *');
header('Cache-Control: no-store');
if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
    http_response_code(405);
    exit;
}
$run = $_GET['run'] ?? '';
$seq = $_GET['seq'] ?? '';
if (!preg_match('/^[0-9a-f]{32}$/', $run) || !preg_match('/^[0-9]{1,9}$/', $seq)) {
    http_response_code(400);
    exit;
}
$body = file_get_contents('php://input', false, null, 0, 16 * 1024 * 1024);
if ($body === false || $body === '') {
    http_response_code(400);
    exit;
}
// The records are the participants' data: never served back.
if (!is_dir(STORE) && !@mkdir(STORE, 0750) && !is_dir(STORE)) {
    http_response_code(500);
    exit;
}
if (!file_exists(STORE . '/.htaccess')) {
    file_put_contents(STORE . '/.htaccess', "Require all denied\n");
}
$dir = STORE . '/' . $run;
if (!is_dir($dir) && !@mkdir($dir, 0750) && !is_dir($dir)) {
    http_response_code(500);
    exit;
}
// Written aside and renamed, a piece is whole or absent, never half-written.
$part = tempnam($dir, 'part');
if ($part === false || file_put_contents($part, $body) !== strlen($body) ||
    !rename($part, $dir . '/' . intval($seq) . '.jsonl')) {
    http_response_code(500);
    exit;
}
http_response_code(204);
