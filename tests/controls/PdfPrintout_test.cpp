// A printout written as a PDF file of its own: whole under its name or not there at all, whatever write
// it stopped or failed at; an earlier printout of the same name kept; what a killed print left behind
// cleared by the next one, which takes the name that is still free; a file that cannot be written named
// with the cause.

#include "controls/PagePrinter.h"
#include "fw/print/PdfFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WritePoints.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using testsupport::Outcome;

constexpr const char* Earlier = "%PDF-1.4 an earlier printout";

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Three pages titled "Radni nalog" to a PDF file of their own in the folder; the error's text, or "".
std::string PrintInto(const fs::path& folder) {
    fw::QtPrinterDevice device;
    device.SetPdfFolder(folder.string());
    fw::PrinterDevice* old = fw::SetCurrentPrinter(&device);
    std::string error;
    try {
        controls::TPagePrinter prn(nullptr);
        prn.SetMeasureUnit(controls::TMeasureUnit::muMillimeters);
        prn.ShowProgress = false;
        prn.SetTitle("Radni nalog");
        prn.BeginDoc();
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) prn.NewPage();
            for (int row = 1; row <= 30; ++row)
                prn.WriteLine("Stavka " + std::to_string(page * 100 + row) + ": prozor PVC 1200 x 1400");
        }
        prn.EndDoc();
        prn.Print();
    } catch (const std::exception& e) {
        error = e.what();
    }
    fw::SetCurrentPrinter(old);
    return error;
}

// The PDF's files in the folder that a user sees (the hidden temporaries left out).
std::vector<std::string> Printouts(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().front() != '.') names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Hidden(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().front() == '.') names.push_back(e.path().filename().string());
    return names;
}

bool Whole(const std::string& pdf) {
    return pdf.rfind("%PDF-", 0) == 0 && pdf.find("startxref") != std::string::npos &&
           pdf.find("%%EOF", pdf.size() - 8) != std::string::npos;
}

} // namespace

TEST(PdfPrintout, EveryWritePointLeavesTheEarlierPrintoutAndNoBrokenOne) {
    testsupport::WritePointScenario s;
    s.Name = "a printout to its own PDF file";
    s.FileName = "Radni nalog (2).pdf";
    s.Setup = [](const fs::path& folder) { std::ofstream(folder / "Radni nalog.pdf") << Earlier; };
    s.Run = PrintInto;
    s.Observe = [](const fs::path& folder, std::string& problem) {
        if (Contents(folder / "Radni nalog.pdf") != Earlier) {
            problem = "the earlier printout was written over";
            return Outcome::Broken;
        }
        const std::vector<std::string> shown = Printouts(folder);
        if (shown == std::vector<std::string>{"Radni nalog.pdf"}) return Outcome::NotDone;
        if (shown != std::vector<std::string>{"Radni nalog (2).pdf", "Radni nalog.pdf"}) {
            problem = "files: " + std::to_string(shown.size());
            return Outcome::Broken;
        }
        if (!Whole(Contents(folder / "Radni nalog (2).pdf"))) {
            problem = "a broken PDF under the printout's name";
            return Outcome::Broken;
        }
        return Outcome::Done;
    };
    const testsupport::WritePointCounts counts = testsupport::CheckEveryWritePoint(s);
    EXPECT_GT(counts.Writes, 1);
}

TEST(PdfPrintout, WhatAKilledPrintLeftIsClearedAndItsNameIsTaken) {
    testsupport::TempFolder folder;
    // Killed after creating its file, before a byte of the PDF reached it.
    auto child = testsupport::ChildProcess::Fork([&] {
        testsupport::FaultFileSystem faults;
        faults.DieAfterWrite(1);
        base::ScopedFileSystem scope(faults);
        PrintInto(folder.Path());
        return 0;
    });
    child->ReadAll(std::chrono::minutes(1));
    const auto status = child->Wait(std::chrono::minutes(1));
    ASSERT_TRUE(status && status->Exited);
    ASSERT_EQ(status->Code, testsupport::FaultFileSystem::DiedAtWrite);
    EXPECT_TRUE(Printouts(folder.Path()).empty());
    ASSERT_EQ(Hidden(folder.Path()).size(), 1u);

    // A print still writing its own file meanwhile keeps it.
    fw::PdfFile writing((folder / "Ponuda.pdf").string());
    EXPECT_EQ(PrintInto(folder.Path()), "");
    EXPECT_EQ(Printouts(folder.Path()), std::vector<std::string>{"Radni nalog.pdf"});
    EXPECT_TRUE(Whole(Contents(folder / "Radni nalog.pdf")));
    EXPECT_EQ(Hidden(folder.Path()),
              std::vector<std::string>{fs::path(writing.TemporaryPath()).filename().string()});
}

TEST(PdfPrintout, AFileThatCannotBeWrittenIsNamedWithTheCause) {
    testsupport::TempFolder folder;
    const fs::path missing = folder / "ispisi";
    EXPECT_EQ(PrintInto(missing), "Ispis u datoteku \"" + (missing / "Radni nalog.pdf").string() +
                                      "\" nije uspio: datoteka ili mapa ne postoji");
    // Written into a folder that exists, the printout is whole.
    fs::create_directory(missing);
    EXPECT_EQ(PrintInto(missing), "");
    EXPECT_TRUE(Whole(Contents(missing / "Radni nalog.pdf")));
}
