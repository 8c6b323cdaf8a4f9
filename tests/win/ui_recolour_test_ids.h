#pragma once
#define IDB_TEST_NEAR_GREY 900
