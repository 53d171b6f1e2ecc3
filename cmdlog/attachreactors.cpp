#include "cmdlog/attachreactors.h"
#include <memory>
#include <new>
#include "cmdlog/tarnelreact.h"
#include "shell/hostclasses.h"

namespace {
std::unique_ptr<CommandLogReactor> theReactor;
} // namespace

CommandLogReactor* commandLogReactor() {
    return theReactor.get();
}

bool attachReactors(const GuardSettings& settings) {
    if (theReactor) return true;
    theReactor.reset(new (std::nothrow) CommandLogReactor(settings));
    if (!theReactor) return false;
    if (AcEditor* editor = hostEditor()) editor->addReactor(theReactor.get());
    return true;
}

void detachReactors() {
    if (!theReactor) return;
    if (AcEditor* editor = hostEditor()) editor->removeReactor(theReactor.get());
    theReactor.reset();
}
