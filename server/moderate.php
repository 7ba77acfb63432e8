<?php

declare(strict_types=1);

/*
 * Moderation, on the server's command line (scripts/leaderboard runs|remove):
 *   php moderate.php runs [N]            the newest N runs (20), with their ids
 *   php moderate.php remove ID...        removes those runs
 *   php moderate.php remove --name NAME  removes every run of that name
 * Places, totals and the page follow at once.
 */

require __DIR__ . '/config.php';
require __DIR__ . '/store.php';

$args = array_slice($argv, 1);
$command = array_shift($args);
$db = database();
if ($command === 'runs' && count($args) <= 1 && ctype_digit($args[0] ?? '20')) {
    $zone = new DateTimeZone(config()['timezone']);
    foreach (newestRuns($db, (int) ($args[0] ?? 20)) as $run) {
        $when = (new DateTimeImmutable('@' . $run['created_at']))->setTimezone($zone)->format('Y-m-d H:i:s');
        $time = formatTime((int) $run['score']);
        printf("%8d  %s  %-10s %10s  %s\n", $run['id'], $when, $run['game'], $time, $run['name']);
    }
} elseif ($command === 'remove' && count($args) === 2 && $args[0] === '--name') {
    printf("%d runs removed\n", removeRuns($db, 'name', [$args[1]]));
} elseif ($command === 'remove' && $args !== [] && array_filter($args, 'ctype_digit') === $args) {
    printf("%d runs removed\n", removeRuns($db, 'id', array_map('intval', $args)));
} else {
    fwrite(STDERR, "usage: moderate.php runs [N] | remove ID... | remove --name NAME\n");
    exit(2);
}
