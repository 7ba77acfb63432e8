<?php

declare(strict_types=1);

const FIELDS = ['api_key', 'spill', 'score', 'navn'];
const MAX_SCORE = 8640000;  // a day, in hundredths
const MIN_SCORE = 26;  // no level can be slid through faster than 0.26 s
const MAX_NAME = 16;  // characters (code points)

// Sends the JSON answer and ends the request. The game reads the answer as
// text: "ok":true, "plass": and "totalt": with no spaces inside.
function answer(int $status, array $body): never
{
    http_response_code($status);
    header('Content-Type: application/json; charset=utf-8');
    header('Cache-Control: no-store');
    echo json_encode($body, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES);
    exit;
}

function refuse(int $status, string $why): never
{
    answer($status, ['ok' => false, 'feil' => $why]);
}

/*
 * The game's four fields from the raw body, each decoded as PHP decodes a
 * form ("+" and %XX). $_POST would keep the last of a repeated field without
 * a word, so the pairs are read here. Other fields are ignored.
 */
function formFields(string $body): array
{
    $fields = [];
    foreach (explode('&', $body) as $pair) {
        [$key, $value] = array_pad(explode('=', $pair, 2), 2, '');
        $key = urldecode($key);
        if (!in_array($key, FIELDS, true)) {
            continue;
        }
        if (isset($fields[$key])) {
            refuse(400, "Feltet $key er sendt flere ganger");
        }
        $fields[$key] = urldecode($value);
    }
    foreach (FIELDS as $key) {
        isset($fields[$key]) || refuse(400, "Feltet $key mangler");
    }
    return $fields;
}

// The client's address only as a keyed hash; an IPv6 client by its /64,
// which one machine usually holds whole.
function clientKey(): string
{
    $address = (string) inet_pton($_SERVER['REMOTE_ADDR'] ?? '');
    return hash_hmac('sha256', strlen($address) === 16 ? substr($address, 0, 8) : $address, config()['secret']);
}

function submit(): never
{
    if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
        header('Allow: POST');
        refuse(405, 'Bare POST er tillatt');
    }
    $form = formFields((string) file_get_contents('php://input'));
    $config = config();
    hash_equals($config['api_key'], $form['api_key']) || refuse(403, 'Feil API-nøkkel');
    in_array($form['spill'], $config['games'], true) || refuse(400, 'Ukjent spill');
    $score = preg_match('/\A[1-9][0-9]{0,6}\z/', $form['score']) ? (int) $form['score'] : 0;
    ($score >= 1 && $score <= MAX_SCORE) || refuse(400, 'Ugyldig score');
    $score >= MIN_SCORE || refuse(400, 'Umulig rask tid');
    $name = $form['navn'] === '' ? 'Anonym' : $form['navn'];
    // Control, format (bidi overrides, zero widths), private and unassigned
    // characters and line separators are refused; so is invalid UTF-8, on
    // which preg_match fails. The game itself sends printable ASCII only.
    preg_match('/[\p{C}\p{Zl}\p{Zp}]/u', $name) === 0 || refuse(400, 'Navnet har ugyldige tegn');
    preg_match_all('/./su', $name) <= MAX_NAME || refuse(400, 'Navnet er lengre enn ' . MAX_NAME . ' tegn');
    try {
        $result = recordRun(database(), clientKey(), $form['spill'], $name, $score);
    } catch (PDOException $e) {
        error_log('leaderboard: run not stored: ' . $e->getMessage());
        refuse(503, 'Topplisten er utilgjengelig, prøv igjen senere');
    }
    $result !== null || refuse(429, 'For mange runder fra denne adressen, vent litt');
    answer(200, ['ok' => true, 'plass' => $result[0], 'totalt' => $result[1]]);
}
