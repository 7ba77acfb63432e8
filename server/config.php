<?php

declare(strict_types=1);

/*
 * The leaderboard's settings, all in one place. Their values come from an ini
 * file named by the environment variable SNOKRYSTAL_CONFIG (set by the PHP-FPM
 * pool, server/php-fpm.conf; default /etc/snokrystal/leaderboard.ini); a key
 * the file leaves out keeps its default below. Keep that file outside the web
 * root and readable by the pool's user only: it holds the secret.
 *
 *   dsn           PDO DSN of the database: "sqlite:/var/lib/snokrystal/leaderboard.sqlite"
 *                 or "pgsql:host=127.0.0.1;port=5432;dbname=snokrystal;user=...;password=..."
 *   secret        key of the HMAC that stands in for client addresses (required;
 *                 e.g. `openssl rand -hex 32`)
 *   api_key       the key the game sends with every run
 *   games         the game ids accepted, separated by commas
 *   rate_limit    runs one client address may post per window ...
 *   rate_window   ... of this many seconds
 *   busy_timeout  milliseconds SQLite waits for another writer before giving up (503)
 *   timezone      the zone the page shows dates in
 *   clock         a fixed Unix time to use as "now" (fixed pictures of the page); empty: the real time
 */
function config(): array
{
    static $config = null;
    if ($config === null) {
        $file = getenv('SNOKRYSTAL_CONFIG') ?: '/etc/snokrystal/leaderboard.ini';
        $read = is_readable($file) ? parse_ini_file($file, false, INI_SCANNER_RAW) : false;
        $config = array_merge([
            'dsn' => '',
            'secret' => '',
            'api_key' => 'POLARLYS4817',
            'games' => 'snokrystal',
            'rate_limit' => '30',
            'rate_window' => '60',
            'busy_timeout' => '2000',
            'timezone' => 'Europe/Oslo',
            'clock' => '',
        ], $read ?: []);
        if ($config['dsn'] === '' || $config['secret'] === '') {
            throw new RuntimeException("no dsn or secret in $file");
        }
        $config['games'] = array_map('trim', explode(',', $config['games']));
    }
    return $config;
}

// Now, in Unix seconds: the stored runs' time, the rate window and the page.
function now(): int
{
    $clock = config()['clock'];
    return $clock === '' ? time() : (int) $clock;
}
