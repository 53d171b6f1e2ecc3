#include "idle/lispevaluation.h"

namespace {
int running = 0; // evaluations may nest
} // namespace

void lispEvaluationStarted() {
    ++running;
}

void lispEvaluationEnded() {
    if (running > 0) --running;
}

bool lispEvaluationRunning() {
    return running > 0;
}
