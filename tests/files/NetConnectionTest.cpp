#include "net/NetConnection.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(NetConnectionTest, SettersKeepTheirInvariants) {
    TNetConnection named;
    named.SetLocalName("X:");
    EXPECT_THROW(named.SetResourceType(TResourceTypes::rtAny), EParameterError);
    EXPECT_EQ(named.ResourceType(), TResourceTypes::rtDisk);
    try {
        TNetConnection any;
        any.SetResourceType(TResourceTypes::rtAny);
        any.SetLocalName("X:");
        ADD_FAILURE();
    } catch (const EParameterError& error) {
        EXPECT_STREQ(error.what(), "Cannot be set when ResourseType is rtAny");
    }
    TNetConnection empty;
    EXPECT_THROW(empty.SetReconnectAtLogon(true), EParameterError);
    named.SetReconnectAtLogon(true);
    named.SetLocalName("   ");
    EXPECT_FALSE(named.ReconnectAtLogon()) << "blank local name turns reconnect off";
}

TEST(NetConnectionTest, DisconnectWithoutConnectionAndErrorTexts) {
    TNetConnection share;
    share.RemoteName = "//server/share";
    try {
        share.Disconnect(false);
        ADD_FAILURE();
    } catch (const EDisconnectError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text, "ERROR:  Not connected to specified resource or on specified device");
    }
    share.Connect();
    EXPECT_NO_THROW(share.Disconnect(true));
    EXPECT_EQ(TNetConnection::ErrorText(1234), "1234: Unhandled Error");
    EXPECT_EQ(TNetConnection::ErrorText(1326), "User name or password incorrect");
}
