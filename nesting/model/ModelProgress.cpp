// The host's progress bar as the model shows it: 0 starts the bar, 100 ends
// it, anything between moves it to the whole percent reached.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/ProgressIndicator.h"

#include <cmath>

namespace {

constexpr double kStartBelow = 1e-4;
constexpr double kStopAbove = 99.9999;
constexpr int kRange = 100;

void StartHostBar() {
    if (application) {
        application->StartProgressBar(L"", kRange);
    }
}

void StopHostBar() {
    if (application) {
        application->StopProgressBar();
    }
}

}  // namespace

void NestingModel::CreateProgressIndicator() {
    ProgressIndicator::Create().m_function = &NestingModel::UpdateProgressIndicator;
    StartHostBar();
}

void NestingModel::SetProgressIndicator(double percent) { UpdateProgressIndicator(percent); }

void NestingModel::DeleteProgressIndicator() { StopHostBar(); }

void NestingModel::UpdateProgressIndicator(double value) {
    if (std::isnan(value))  // no position at all: the bar stays as it is
        return;
    ProgressIndicator::Create().m_value = value;
    if (value < kStartBelow) {
        StartHostBar();
    } else if (value > kStopAbove) {
        StopHostBar();
    } else if (application) {
        application->SetProgressBarPosition(static_cast<int>(value));
    }
}
