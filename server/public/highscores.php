<?php

declare(strict_types=1);

require __DIR__ . '/../config.php';
require __DIR__ . '/../store.php';
require __DIR__ . '/../submit.php';

submit();
