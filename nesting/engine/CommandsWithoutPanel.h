// The library commands that run without a property panel: the update of
// results (command 5), the placement of the selected figures in their sheet
// (command 300, also issued after the user moved, turned or copied a figure
// macro), and the keyboard's nudging and turning of the selected figures.
// Each works on a model of its own, read from the drawing, and makes one
// undo step of its changes.
#pragma once

#include "model/Params.h"

void RunUpdateResults();
void RunAutoPlacementInSheet();
// Slides the first selected figure in the direction of `mode` (OffsetLeft to
// OffsetDown) until it touches a neighbour or the sheet's border; any other
// mode places it on its sheet by the automatic rule. A figure on no sheet
// goes into the container view. Nothing without a selected figure.
void OffsetFigure(NestingMode mode);
// Turns every selected figure by `angle` degrees and places them again on
// their sheets. Nothing without a selected figure.
void RotateFigure(double angle);
