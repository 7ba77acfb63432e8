#include "online/BestRecord.h"

void recordBestTime(BestRecord& record, float elapsed) {
  if (!record.hasBest || record.bestTime > elapsed) {
    record.bestTime = elapsed;
    record.hasBest = true;
  }
}
