#include "cmdlog/attachreactors.h"
#include <memory>
#include <new>
#include "cmdlog/tarnelreact.h"

namespace {
std::unique_ptr<CommandLogReactor> theReactor;
} // namespace

CommandLogReactor* commandLogReactor() {
    return theReactor.get();
}

bool attachReactors(const GuardSettings& settings) {
    if (theReactor) return true;
    theReactor.reset(new (std::nothrow) CommandLogReactor(settings));
    return theReactor != nullptr;
}

void detachReactors() {
    theReactor.reset();
}
