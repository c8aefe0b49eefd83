#pragma once

#include <memory>

#include "platform/apppointer.h"
#include "platform/keyboardfocus.h"
#include "platform/listtabstops.h"
#include "platform/messageboxservice.h"
#include "platform/renameservice.h"
#include "platform/runprogress.h"
#include "platform/settingsstore.h"
#include "platform/trashservice.h"
#include "platform/windowlifecycle.h"

// Every platform service the program uses, each behind its own interface.
// The program runs on the Qt-backed ones; a test may hand in its own message
// box answers and a settings file of its own.
struct PlatformServices {
    std::unique_ptr<MessageBoxService> messageBox = std::make_unique<QtMessageBoxService>();
    std::unique_ptr<AppPointer> pointer = std::make_unique<QtAppPointer>();
    std::unique_ptr<KeyboardFocus> focus = std::make_unique<QtKeyboardFocus>();
    std::unique_ptr<WindowLifecycle> lifecycle = std::make_unique<QtWindowLifecycle>();
    std::unique_ptr<ListTabStops> tabStops = std::make_unique<QtListTabStops>();
    std::unique_ptr<SettingsStore> settings = std::make_unique<QtSettingsStore>();
    std::unique_ptr<RenameService> rename = std::make_unique<NativeRenameService>();
    std::unique_ptr<TrashService> trash = std::make_unique<QtTrashService>();
    std::unique_ptr<RunProgress> progress = std::make_unique<QtRunProgress>();
};
