<?php

declare(strict_types=1);

require __DIR__ . '/../config.php';
require __DIR__ . '/../store.php';

// The page: each game's 100 fastest runs. Every stored text is escaped where it is written.
$config = config();
$games = [];
try {
    $db = database();
    foreach ($config['games'] as $game) {
        $games[$game] = [fastestRuns($db, $game, 100), placeAndTotal($db, $game, 0)[1]];
    }
} catch (PDOException $e) {
    error_log('leaderboard: page not read: ' . $e->getMessage());
    http_response_code(503);
    $games = null;
}
$zone = new DateTimeZone($config['timezone']);
$date = fn (int $time, string $format): string
    => (new DateTimeImmutable("@$time"))->setTimezone($zone)->format($format);
$text = fn (string $text): string => htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE | ENT_HTML5, 'UTF-8');
header('Content-Type: text/html; charset=utf-8');
?>
<!DOCTYPE html>
<html lang="nb">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>SNOKRYSTAL – toppliste</title>
<link rel="stylesheet" href="/style.css">
</head>
<body>
<main>
<h1><span class="sno">SNO</span>KRYSTAL</h1>
<p class="lead">Toppliste – de 100 raskeste rundene</p>
<?php if ($games === null) : ?>
<p class="trouble">Topplisten er utilgjengelig akkurat nå. Prøv igjen om litt.</p>
<?php endif; ?>
<?php foreach ($games ?? [] as $game => [$runs, $total]) : ?>
<section>
    <?php if (count($games) > 1) : ?>
<h2><?= $text($game) ?></h2>
    <?php endif; ?>
    <?php if ($runs === []) : ?>
<p class="empty">Ingen runder ennå.</p>
    <?php else : ?>
<table>
<thead><tr><th class="place">Plass</th><th>Navn</th><th class="time">Tid</th><th class="date">Dato</th></tr></thead>
<tbody>
        <?php foreach ($runs as $i => $run) : ?>
            <?php
            // Ties share a place: 1 + the runs strictly faster, all of them above in this list.
            $place = $i > 0 && $run['score'] === $runs[$i - 1]['score'] ? $place : $i + 1;
            ?>
<tr><td class="place"><?= $place ?></td><td class="name"><?= $text($run['name']) ?></td><td class="time"><?=
    formatTime((int) $run['score']) ?></td><td class="date"><?= $date((int) $run['created_at'], 'd.m.Y') ?></td></tr>
        <?php endforeach; ?>
</tbody>
</table>
    <?php endif; ?>
<p class="total"><?= $total ?> <?= $total === 1 ? 'runde' : 'runder' ?> i alt</p>
</section>
<?php endforeach; ?>
<p class="note">Alle fem nivåene står i samme liste: spillet sender ikke med hvilket nivå en tid gjelder.</p>
<p class="updated">Oppdatert <?= $date(now(), 'd.m.Y \k\l. H:i') ?></p>
</main>
</body>
</html>
