// The close action's codes, as tarnel.cfg's Action stores them; the save
// name and the report text read them without the close action itself.
#pragma once

enum CloseAction { QuitWithoutSaving = 0, SaveToCurrentDrawing = 1, SaveToOtherDrawing = 2 };
