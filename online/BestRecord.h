#pragma once

// One level's best time in this run of the program.
struct BestRecord {
  float bestTime = 0.f;  // seconds
  bool hasBest = false;
};

// Keeps the lower time; an equal time leaves the record as it was.
void recordBestTime(BestRecord& record, float elapsed);
