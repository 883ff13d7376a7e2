// The commands that work on a model of the active drawing take the factory
// that makes it, so that a test can hand them one that fails. Without a model
// such a command has said why in its Init; its starter then ends it at once.
#pragma once

#include "api/INestingObjects.h"
#include "shell/BaseProcess.h"

using ModelFactory = INestingModelPtr (*)();

// What a command shows when the factory gave no model.
inline constexpr wchar_t kNoModelMessage[] = L"Не удалось создать модель раскроя: команда не выполнена";

// StartCommand with the factory; a command left without a model (HasModel
// false) is stopped as cancelled.
template <class Process>
void StartModelCommand(ModelFactory factory)
{
    BaseProcess::Busy busy;  // nothing replaces the command before it is looked at
    StartCommand<Process>(factory);
    auto* process = static_cast<Process*>(BaseProcess::currentProcess.get());
    if (process && !process->HasModel() && process->Bound())
        process->Abandon();
}
