// The calibration-table part of the handshake against the virtual generator.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "command/HandlerHandshake.h"
#include "serial/ComPlatform.h"
#include "serial/TinyComms.h"
#include "tests/support/CommaLocale.h"
#include "sim/PtyDevice.h"

namespace control {
namespace {

using namespace std::chrono_literals;

class CalibrationTablesTest : public ::testing::Test {
 protected:
  void Connect(sim::TFaults faults = {}) {
    sim::TPtyOptions options;
    options.Faults = faults;
    Device = std::make_unique<sim::TPtyDevice>(options);
    serial::ApplyMainComPortSettings(Port);
    Port.SetPort(Device->SlavePath());
    Port.SetPortPresent(true);
    Port.Open();
  }

  std::vector<sim::TCommandKind> Received() const {
    std::vector<sim::TCommandKind> kinds;
    for (const auto& record : Device->Commands()) kinds.push_back(record.Command.Kind);
    return kinds;
  }

  bool Read(TCalibrationTables& tables) {
    return ReadCalibrationTables(
        Port,
        [this](unsigned ms) {
          Waited.push_back(ms);
          std::this_thread::sleep_for(std::chrono::milliseconds(ms / 10));
        },
        tables);
  }

  static TCalibrationTables Marked() {
    TCalibrationTables tables;
    tables.Square.fill(42.0f);
    tables.Analog.fill(43.0f);
    return tables;
  }

  std::unique_ptr<sim::TPtyDevice> Device;
  serial::TTinyComPort Port;
  std::vector<unsigned> Waited;
};

TEST_F(CalibrationTablesTest, ReadsBothTablesAndScalesTheAnalogOne) {
  Connect();
  TCalibrationTables tables = Marked();
  ASSERT_TRUE(Read(tables));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(tables.Square[i], static_cast<float>(Device->Tables().Square[i])) << i;
    EXPECT_EQ(tables.Analog[i], static_cast<float>(Device->Tables().AnalogTenths[i]) / 10.0f) << i;
  }
  using K = sim::TCommandKind;
  EXPECT_EQ(Received(), (std::vector<K>{K::SquareTable, K::AnalogTable}));
  EXPECT_EQ(Waited, (std::vector<unsigned>{1000, 300}));
}

TEST_F(CalibrationTablesTest, TablesAreReadWithAPointUnderACommaLocale) {
  const bool comma = test_support::UseCommaLocale();
  Connect();
  TCalibrationTables tables;
  const bool read = Read(tables);
  std::setlocale(LC_ALL, "C");
  if (!comma) GTEST_SKIP() << "no comma locale could be built here";
  ASSERT_TRUE(read);
  EXPECT_EQ(tables.Square[1], static_cast<float>(Device->Tables().Square[1]));
  EXPECT_EQ(tables.Analog[15], static_cast<float>(Device->Tables().AnalogTenths[15]) / 10.0f);
}

TEST_F(CalibrationTablesTest, StaleInputBeforeTheRequestIsDropped) {
  Connect();
  Device->Send("junk\r\n-1\r\n");
  std::this_thread::sleep_for(50ms);
  TCalibrationTables tables = Marked();
  EXPECT_TRUE(Read(tables));
  EXPECT_EQ(tables.Square[0], static_cast<float>(Device->Tables().Square[0]));
}

struct TFaultCase {
  char Table;
  int Line;
  sim::TLineFault Fault;
};

void PrintTo(const TFaultCase& c, std::ostream* os) {
  *os << "table " << c.Table << " line " << c.Line << " fault " << static_cast<int>(c.Fault);
}

class CalibrationTableFaultTest : public CalibrationTablesTest,
                                  public ::testing::WithParamInterface<TFaultCase> {};

TEST_P(CalibrationTableFaultTest, BadLineFailsAndLeavesTheTablesAlone) {
  const TFaultCase c = GetParam();
  sim::TFaults faults;
  faults.TableFault = {c.Table, c.Line, c.Fault};
  Connect(faults);
  TCalibrationTables tables = Marked();
  EXPECT_FALSE(Read(tables));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(tables.Square[i], 42.0f);
    EXPECT_EQ(tables.Analog[i], 43.0f);
  }
  using K = sim::TCommandKind;
  // A failed first table is not followed by the second request.
  const auto expected = c.Table == 'V' ? std::vector<K>{K::SquareTable}
                                       : std::vector<K>{K::SquareTable, K::AnalogTable};
  EXPECT_EQ(Received(), expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, CalibrationTableFaultTest,
                         ::testing::Values(TFaultCase{'V', 0, sim::TLineFault::MinusOne},
                                           TFaultCase{'V', 7, sim::TLineFault::Empty},
                                           TFaultCase{'V', 15, sim::TLineFault::NotANumber},
                                           TFaultCase{'v', 3, sim::TLineFault::MinusOne},
                                           TFaultCase{'v', 15, sim::TLineFault::Missing}));

TEST_F(CalibrationTablesTest, ClosedPortFailsWithoutWriting) {
  Connect();
  Port.Close();
  TCalibrationTables tables = Marked();
  EXPECT_FALSE(Read(tables));
  EXPECT_TRUE(Device->Commands().empty());
  EXPECT_EQ(tables.Square[0], 42.0f);
}

}  // namespace
}  // namespace control
