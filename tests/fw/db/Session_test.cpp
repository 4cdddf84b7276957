#include "MemoryDataSet.h"

#include "fw/db/DatabaseError.h"
#include "fw/db/Session.h"
#include "tests/support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace fw;
using fwtest::MemoryDBDataSet;
using fwtest::MemoryRows;
using testsupport::TempFolder;

namespace {

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        rows.Columns = {{"Code", ftInteger, 0, false, 1}};
        global.SetDatabaseName("Global");
        global.DriverName = "STANDARD";
        global.Params = {"DEFAULT DRIVER=PARADOX", "ENABLE BCD=FALSE"};
    }
    MemoryRows rows;
    TempFolder folder;
    TDatabase global;
};

TEST_F(SessionTest, TheDefaultSessionIsNamedDefaultAndListsItsDatabases) {
    EXPECT_EQ(Session().SessionName(), "Default");
    EXPECT_EQ(FindSession("DEFAULT"), &Session());
    EXPECT_EQ(FindSession(""), &Session());
    EXPECT_EQ(FindSession("Druga"), nullptr);
    EXPECT_EQ(Session().FindDatabase("gLoBaL"), &global);
    TDatabase lokal;
    lokal.SetDatabaseName("Lokal");
    ASSERT_GE(Session().DatabaseCount(), 2);
    EXPECT_EQ(&Session().Databases(Session().DatabaseCount() - 1), &lokal);
    EXPECT_EQ(&Session().Databases(Session().DatabaseCount() - 2), &global);
    Session().AddPassword("Ka su pel 31");
    Session().AddPassword("Ka su pel 31");
    EXPECT_EQ(std::count(Session().Passwords().begin(), Session().Passwords().end(), "Ka su pel 31"), 1);
    Session().RemovePassword("Ka su pel 31");
}

TEST_F(SessionTest, DataSetsWithoutAUsableDatabaseGiveClearErrors) {
    MemoryDBDataSet ds(rows);
    ds.Name = "tRoba";
    EXPECT_THROW(ds.Open(), EDatabaseError); // no database name
    ds.SetDatabaseName("Nepoznata");
    EXPECT_THROW(ds.Open(), EDatabaseError);
    ds.SetDatabaseName("Global");
    try {
        ds.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_THAT(e.Message(), ::testing::HasSubstr("Global")); // no PATH yet
    }
    global.SetParam("PATH", (folder.Path() / "nema").string());
    EXPECT_THROW(ds.Open(), EDatabaseError);
    EXPECT_EQ(ds.State(), dsInactive);
    EXPECT_EQ(global.DataSetCount(), 0);
    global.SetParam("PATH", folder.Path().string());
    ds.Open();
    EXPECT_TRUE(global.Connected());
    EXPECT_EQ(global.Directory(), folder.Path());
    EXPECT_EQ(global.ParamValue("path"), folder.Path().string());
    EXPECT_THROW(ds.SetDatabaseName("Lokal"), EDatabaseError);
}

TEST_F(SessionTest, ADatabaseListsItsOpenDataSetsAndDisconnectsThemWhenItCloses) {
    global.SetParam("PATH", folder.Path().string());
    MemoryDBDataSet a(rows), b(rows);
    a.SetDatabaseName("Global");
    b.SetDatabaseName("GLOBAL");
    std::vector<std::string> closed;
    a.AfterClose = [&](TDataSet&) { closed.push_back("a"); };
    b.AfterClose = [&](TDataSet&) { closed.push_back("b"); };
    a.Open();
    b.Open();
    ASSERT_EQ(global.DataSetCount(), 2);
    EXPECT_EQ(&global.DataSets(0), &a);
    EXPECT_EQ(&global.DataSets(1), &b);
    a.Close();
    EXPECT_EQ(global.DataSetCount(), 1);
    a.Open();
    EXPECT_EQ(&global.DataSets(1), &a);
    closed.clear();
    global.Close();
    EXPECT_THAT(closed, ::testing::ElementsAre("a", "b")); // from the last
    EXPECT_FALSE(a.Active());
    EXPECT_FALSE(b.Active());
    EXPECT_FALSE(global.Connected());
    a.Open(); // connects again
    EXPECT_TRUE(global.Connected());
}

TEST_F(SessionTest, WithoutKeepConnectionTheLastCloseDisconnects) {
    global.SetParam("PATH", folder.Path().string());
    global.KeepConnection = false;
    MemoryDBDataSet ds(rows);
    ds.SetDatabaseName("Global");
    ds.Open();
    EXPECT_TRUE(global.Connected());
    ds.Close();
    EXPECT_FALSE(global.Connected());
}

TEST_F(SessionTest, AFolderPathServesAsDatabaseName) {
    MemoryDBDataSet ds(rows);
    ds.SetDatabaseName(folder.Path().string());
    ds.Open();
    ASSERT_NE(ds.Database(), nullptr);
    EXPECT_TRUE(ds.Database()->Temporary());
    EXPECT_EQ(ds.Database()->Directory(), folder.Path());
}

TEST_F(SessionTest, DestroyingADatabaseLeavesItsDataSetsUsable) {
    MemoryDBDataSet ds(rows);
    {
        TDatabase temp;
        temp.SetDatabaseName("Privremena");
        temp.SetParam("PATH", folder.Path().string());
        ds.SetDatabaseName("Privremena");
        ds.Open();
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.Database(), nullptr);
    EXPECT_THROW(ds.Open(), EDatabaseError);
}

} // namespace
