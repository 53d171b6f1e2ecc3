// LISP evaluations running in the host, as the editor's notifications tell
// them: CMDACTIVE shows one only to a caller inside a module's own command,
// never to the idle timer.
#pragma once

void lispEvaluationStarted();
// An evaluation that ended or was cancelled.
void lispEvaluationEnded();
bool lispEvaluationRunning();
