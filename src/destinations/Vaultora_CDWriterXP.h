// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Putting a run's results on a disc in the selected CD recorder: prepare the
// disc, add and remove files of the disc image, write the image.
//
// Writing discs is not offered yet: each call puts one line at the top of
// the run log saying so and does nothing else, so no run reports a disc it
// did not write.

// A disc write is under way.
extern bool CdWriting;

// Prepares the disc in the selected recorder for a new image.
void OpenCopy2CD();

// Adds `localFile` to the disc image below `discFolder` ("" the disc's root).
void AddImage2CD(const QString& discFolder, const QString& localFile);

// Takes that entry out of the disc image again.
void RemoveImage2CD(const QString& discFolder, const QString& localFile);

// Writes the collected image to the disc and waits for the end.
void BurnCD();
