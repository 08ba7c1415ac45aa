// The analysis editor window driven through typed keys.
#include "AnalysisFixture.h"

#include "analysis/frmMateriales.h"

#include <gtest/gtest.h>
