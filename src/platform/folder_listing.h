// SPDX-License-Identifier: MIT
// Folder listings read once per run: every case-insensitive lookup in a folder is answered from one
// read of it.
#pragma once

#include "platform/name_list.h"

// The names in `folder` (a path of this system; "." for the current folder),
// read on the first call for that folder and kept until
// forget_folder_listings(); null when the folder cannot be listed.
const NameList *folder_listing(const char *folder);
void forget_folder_listings();
