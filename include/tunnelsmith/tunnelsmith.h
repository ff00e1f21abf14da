// All of Tunnelsmith's public interface in one include: compiling, checking, inspecting and
// decompiling in memory, and the vocabularies. Link Tunnelsmith::tunnelsmith to use it.
#pragma once

#include "tunnelsmith/check.h"
#include "tunnelsmith/compile.h"
#include "tunnelsmith/decompile.h"
#include "tunnelsmith/inspect.h"
#include "tunnelsmith/outline.h"
#include "tunnelsmith/version.h"
#include "tunnelsmith/vocabulary.h"
