#pragma once
// Each service test runs in its own scratch program folder.

#include "support/ScratchProgram.h"

#include <gtest/gtest.h>

namespace servicetest {

class ProgramFolderTest : public ::testing::Test, public testsupport::ScratchProgramFolder {};

} // namespace servicetest
