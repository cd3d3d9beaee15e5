// tests/analysis_real_files_test.cpp -- the fast analysis against the pairwise one on the real
// models of the test data, every field and every log line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/file_open.h"
#include "load/load_model.h"
#include "model/md5_mesh_reader.h"
#include "model/model.h"
#include "model/static_readers.h"
#include "support/analysis_compare.h"

namespace fs = std::filesystem;

namespace {

// Reads a model file of any of the four formats and runs the post-processing up to the analysis.
bool readPrepared(Model& model, const fs::path& file) {
    std::string bytes;
    if (!readWholeFile(file.string(), bytes)) return false;
    ScopedLogCapture quiet; // texture lookups and reader messages are not the point here
    std::string lower = file.extension().string();
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (lower == ".md5mesh") {
        if (!md5::readMeshFromMemory(model, bytes, file.string())) return false;
    } else if (lower == ".obj") {
        staticmodel::readObjText(model, bytes, file.string(),
                                 [](const std::string& path, std::string& out) { return readWholeFile(path, out); });
    } else if (lower == ".ase") {
        staticmodel::readAseText(model, bytes);
    } else if (lower == ".lwo") {
        staticmodel::readLwoBytes(model, bytes, file.string());
    } else {
        return false;
    }
    prepareForAnalysis(model);
    return model.numMeshes() > 0;
}

} // namespace

TEST(GeometryAnalysisMatchesPairwise, EveryRealModelOfTheTestData) {
    const fs::path root = OSTRELLE_TESTDATA_DIR;
    if (!fs::is_directory(root)) GTEST_SKIP() << "no test data at " << root;
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        Model fast, pairwise;
        if (!readPrepared(fast, entry.path()) || !readPrepared(pairwise, entry.path())) continue;
        const std::string fastLog = analysis_compare::analyse(fast, true);
        const std::string pairwiseLog = analysis_compare::analyse(pairwise, false);
        EXPECT_EQ(analysis_compare::firstDifference(fast, pairwise), "") << entry.path();
        EXPECT_EQ(fastLog, pairwiseLog) << entry.path();
        ++compared;
    }
    // Bob, BoarMan, SimpleCube and the static models at the least.
    EXPECT_GE(compared, 30);
}
