// Pictures of imported parts for a person to look at: with NESTING_IMPORT_SVG
// naming a folder, the model's figures laid out in a row and the drawing
// written there as an SVG file.
#pragma once

#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "vlhost/Host.h"

#include <cstdlib>
#include <filesystem>
#include <string>

inline void KeepPicture(NestingModel& model, const vlapi::IVarnelDocument2DPtr& doc, const std::string& name)
{
    const char* keep = std::getenv("NESTING_IMPORT_SVG");
    if (!keep)
        return;
    double x = 0.0;
    for (const FigurePtr& figure : model.m_figures) {
        if (figure->m_borders.empty())
            continue;
        NRect box = figure->m_borders.front()->GetGabarit();
        figure->SetPlacement(x - box.pBot.x, -box.pBot.y, 0.0, false);
        x += box.pTop.x - box.pBot.x + 10.0;
    }
    vlhost::Host::WriteSvg(doc, std::filesystem::path(keep) / (name + ".svg"));
}
