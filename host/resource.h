#pragma once
// Resource identifiers of Zentik.exe.

#define IDS_INSTANCE_MARKER 100
#define IDS_LANGUAGE_MODULE 101
