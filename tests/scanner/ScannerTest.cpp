// Scans from SANE's virtual test scanner under a private configuration.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "scanner/ScanDevices.h"
#include "scanner/Scanner.h"
#include "tests/support/SaneTestBackend.h"

namespace leaf::scan {
namespace {

using test::PixelsFor;

struct Scanned {
  ScanOutcome outcome;
  std::vector<DibImage> pages;
  std::vector<std::string> texts;
};

Scanned Acquire(ScanRequest request, bool feederBatch = false, ScanCancel* cancel = nullptr) {
  if (request.device.empty()) request.device = "test:0";
  Scanned scanned;
  ScanCancel own;
  scanned.outcome = AcquirePages(
      request,
      [&](DibImage&& page, int index) {
        EXPECT_EQ(index, static_cast<int>(scanned.pages.size()));
        scanned.pages.push_back(std::move(page));
        return true;
      },
      [&](const std::string& text, int) {
        if (scanned.texts.empty() || scanned.texts.back() != text) scanned.texts.push_back(text);
      },
      cancel ? *cancel : own, feederBatch);
  return scanned;
}

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_WITHOUT_SANE_TEST_BACKEND(backend_); }
  test::SaneTestBackend backend_;
};

TEST_F(ScannerTest, ListsTheVirtualScanners) {
  std::vector<ScanDevice> devices;
  std::string error;
  ASSERT_TRUE(ListScanDevices(devices, error)) << error;
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[1].name, "test:1");
  EXPECT_EQ(devices[0].Label(), "Noname frontend-tester (test:0)");
}

TEST_F(ScannerTest, OffersItsModesResolutionsSourcesAndBed) {
  std::string error;
  const auto scanner = Scanner::Open("test:0", error);
  ASSERT_TRUE(scanner) << error;
  const ScannerCapabilities caps = scanner->Capabilities();
  EXPECT_EQ(caps.modes, (std::vector<std::string>{"color", "gray", "lineart"}));
  EXPECT_EQ(caps.currentMode, "gray");
  EXPECT_EQ(caps.resolutionMin, 1);
  EXPECT_EQ(caps.resolutionMax, 1200);
  EXPECT_EQ(caps.currentResolution, 50);
  EXPECT_EQ(caps.sources, (std::vector<std::string>{"Flatbed", "Automatic Document Feeder"}));
  EXPECT_TRUE(caps.hasFeeder());
  EXPECT_EQ(caps.currentSource, "Flatbed");
  ASSERT_TRUE(caps.hasArea);
  EXPECT_DOUBLE_EQ(caps.bedWidth, 200);
  EXPECT_DOUBLE_EQ(caps.currentArea.width, 80);
  EXPECT_DOUBLE_EQ(caps.currentArea.height, 100);
}

TEST_F(ScannerTest, EveryModeGivesAPageOfItsDepthAndSize) {
  struct Case {
    const char* mode;
    int dpi;
    std::optional<ScanArea> area;
    int bits;
  };
  const Case cases[] = {
      {"color", 75, std::nullopt, 24},
      {"gray", 100, std::nullopt, 8},
      {"lineart", 150, std::nullopt, 1},
      {"Gray", 75, ScanArea{10, 20, 50, 60}, 8},
      {"lineart", 300, ScanArea{0, 0, 30, 25}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " at " + std::to_string(c.dpi));
    ScanRequest request;
    request.mode = c.mode;
    request.resolution = c.dpi;
    request.area = c.area;
    const Scanned scanned = Acquire(request);
    ASSERT_TRUE(scanned.outcome.ok()) << scanned.outcome.message;
    ASSERT_EQ(scanned.pages.size(), 1u);
    const DibRaster& r = scanned.pages[0].raster;
    const ScanArea area = c.area.value_or(ScanArea{0, 0, 80, 100});
    EXPECT_EQ(r.width, PixelsFor(area.width, c.dpi));
    EXPECT_EQ(r.height, PixelsFor(area.height, c.dpi));
    EXPECT_EQ(r.bitsPerPixel, c.bits);
    EXPECT_EQ(r.xResolution, c.dpi);
    EXPECT_EQ(r.yResolution, c.dpi);
    // The test picture is solid black.
    const uint8_t* middle = r.topRow(r.height / 2);
    if (c.bits == 1) {
      EXPECT_EQ(middle[0], 0xFF) << "ink bits";
      EXPECT_TRUE(r.paletteEntryZeroIsLighter());
    } else {
      EXPECT_EQ(middle[0], 0);
    }
    EXPECT_EQ(scanned.texts.back(), "Scanning page 1");
  }
}

TEST_F(ScannerTest, ThreePassSixteenBitAndHandScannerPagesAreAssembled) {
  struct Case {
    const char* name;
    const char* mode;
    std::vector<std::pair<std::string, std::string>> options;
    int bits;
    int width;
  };
  const Case cases[] = {
      {"three passes",
       "color",
       {{"three-pass", "yes"}, {"three-pass-order", "GBR"}},
       24,
       PixelsFor(80, 50)},
      {"16-bit gray", "gray", {{"depth", "16"}}, 8, PixelsFor(80, 50)},
      {"16-bit colour", "color", {{"depth", "16"}}, 24, PixelsFor(80, 50)},
      {"hand scanner", "gray", {{"hand-scanner", "yes"}}, 8, PixelsFor(110, 50)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanRequest request;
    request.mode = c.mode;
    request.deviceOptions = c.options;
    request.deviceOptions.emplace_back("test-picture", "Solid white");
    const Scanned scanned = Acquire(request);
    ASSERT_TRUE(scanned.outcome.ok()) << scanned.outcome.message;
    ASSERT_EQ(scanned.pages.size(), 1u);
    const DibRaster& r = scanned.pages[0].raster;
    EXPECT_EQ(r.bitsPerPixel, c.bits);
    EXPECT_EQ(r.width, c.width);
    EXPECT_GT(r.height, 0);
    const uint8_t* row = r.topRow(r.height - 1);
    for (int i = 0; i < r.width * c.bits / 8; ++i) ASSERT_EQ(row[i], 255) << "white at " << i;
  }
}

TEST_F(ScannerTest, TheFeederGivesEveryPageUntilItIsEmpty) {
  ScanRequest request;
  request.source = "adf";
  request.resolution = 20;
  request.allPages = true;
  const Scanned all = Acquire(request);
  ASSERT_TRUE(all.outcome.ok()) << all.outcome.message;
  // The virtual feeder holds ten sheets.
  EXPECT_EQ(all.outcome.pages, 10);
  ASSERT_EQ(all.pages.size(), 10u);
  EXPECT_EQ(all.pages[9].raster.width, PixelsFor(80, 20));
  EXPECT_EQ(all.texts.back(), "Scanning page 10") << "nothing said of the page that was not there";

  // A feeder batch when the feeder is the chosen source; one page otherwise.
  request.allPages = false;
  EXPECT_EQ(Acquire(request, /*feederBatch=*/true).pages.size(), 10u);
  EXPECT_EQ(Acquire(request).pages.size(), 1u);
  request.source = "flatbed";
  EXPECT_EQ(Acquire(request, /*feederBatch=*/true).pages.size(), 1u);

  // Every page takes the feeder even when the device stands on the flatbed.
  request.source.clear();
  request.allPages = true;
  EXPECT_EQ(Acquire(request).pages.size(), 10u);
}

TEST_F(ScannerTest, ACancelledScanStopsAndLeavesTheScannerFree) {
  ScanRequest request;
  request.resolution = 300;
  // Slow: a pause of 0.2 s after each piece; the page would take 3.6 s.
  request.deviceOptions = {{"read-delay", "yes"}, {"read-delay-duration", "200000"}};
  ScanCancel cancel;
  std::atomic<bool> started{false};
  std::thread canceller([&] {
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    cancel.Cancel();
  });
  int pages = 0;
  const ScanOutcome outcome = AcquirePages(
      request,
      [&](DibImage&&, int) {
        ++pages;
        return true;
      },
      [&](const std::string&, int percent) {
        if (percent > 0) started = true;
      },
      cancel);
  started = true;
  canceller.join();
  EXPECT_EQ(outcome.status, ScanStatus::Cancelled);
  EXPECT_EQ(outcome.message, "The scan was cancelled.");
  EXPECT_EQ(pages, 0);

  request.deviceOptions.clear();
  EXPECT_TRUE(Acquire(request).outcome.ok()) << "the device was released";
}

TEST_F(ScannerTest, RefusalsAndDeviceFailuresAreReportedInSentences) {
  struct Case {
    const char* name;
    ScanRequest request;
    const char* says;
  };
  auto with = [](auto change) {
    ScanRequest r;
    change(r);
    return r;
  };
  const Case cases[] = {
      {"resolution out of range", with([](ScanRequest& r) { r.resolution = 5000; }),
       "cannot be 5000 dpi; it takes 1 dpi to 1200 dpi"},
      {"mode it lacks", with([](ScanRequest& r) { r.mode = "halftone"; }),
       "no \"halftone\" mode; it offers Gray, Color"},
      {"area off the bed", with([](ScanRequest& r) {
         r.area = ScanArea{150, 0, 80, 50};
       }),
       "does not fit the scanner's 200 x 200 mm"},
      {"option it lacks", with([](ScanRequest& r) {
         r.deviceOptions = {{"lamp", "on"}};
       }),
       "no option \"lamp\""},
      {"option of the wrong kind", with([](ScanRequest& r) {
         r.deviceOptions = {{"read-limit-size", "many"}};
       }),
       "cannot be set with the other settings"},
      {"source it lacks", with([](ScanRequest& r) { r.source = "film"; }),
       "no source \"film\"; its sources are Flatbed, Automatic Document Feeder"},
      {"device that is not there", with([](ScanRequest& r) { r.device = "test:7"; }),
       "\"test:7\" was not found"},
      {"device gone in the middle of the page", with([](ScanRequest& r) {
         r.deviceOptions = {{"read-return-value", "SANE_STATUS_IO_ERROR"}};
       }),
       "stopped in the middle of page 1: Error during device I/O"},
      {"paper jam", with([](ScanRequest& r) {
         r.deviceOptions = {{"read-return-value", "SANE_STATUS_JAMMED"}};
       }),
       "Document feeder jammed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Scanned scanned = Acquire(c.request);
    EXPECT_EQ(scanned.outcome.status, ScanStatus::Failed);
    EXPECT_NE(scanned.outcome.message.find(c.says), std::string::npos) << scanned.outcome.message;
    EXPECT_TRUE(scanned.pages.empty());
    EXPECT_TRUE(Acquire({}).outcome.ok()) << "the device was released";
  }
}

TEST(ScannerWithoutDevices, SaysThatNoScannerWasFound) {
  const test::SaneTestBackend none(/*withTestBackend=*/false);
  std::vector<ScanDevice> devices;
  std::string error;
  ASSERT_TRUE(ListScanDevices(devices, error)) << error;
  EXPECT_TRUE(devices.empty());
  ScanCancel cancel;
  const ScanOutcome outcome = AcquirePages(
      {}, [](DibImage&&, int) { return true; }, nullptr, cancel);
  EXPECT_EQ(outcome.status, ScanStatus::Failed);
  EXPECT_EQ(outcome.message, "No scanner was found.");
}

}  // namespace
}  // namespace leaf::scan
