#pragma once

// The standard item properties (IOPCItemProperties) and their published
// descriptions. Identifiers 1 to 8 describe the item's value itself, 100 to
// 199 are recommended properties of the item, 200 and up concern display and
// alarms; vendors number their own from 5000.

#define OPC_PROP_CDT 1
#define OPC_PROP_VALUE 2
#define OPC_PROP_QUALITY 3
#define OPC_PROP_TIME 4
#define OPC_PROP_RIGHTS 5
#define OPC_PROP_SCANRATE 6
#define OPC_PROP_EUTYPE 7
#define OPC_PROP_EUINFO 8

#define OPC_PROP_UNIT 100
#define OPC_PROP_DESC 101
#define OPC_PROP_HIEU 102
#define OPC_PROP_LOEU 103
#define OPC_PROP_HIRANGE 104
#define OPC_PROP_LORANGE 105
#define OPC_PROP_CLOSE 106
#define OPC_PROP_OPEN 107
#define OPC_PROP_TIMEZONE 108

#define OPC_PROP_DSP 200
#define OPC_PROP_FGC 201
#define OPC_PROP_BGC 202
#define OPC_PROP_BLINK 203
#define OPC_PROP_BMP 204
#define OPC_PROP_SND 205
#define OPC_PROP_HTML 206
#define OPC_PROP_AVI 207

#define OPC_PROP_ALMSTAT 300
#define OPC_PROP_ALMHELP 301
#define OPC_PROP_ALMAREAS 302
#define OPC_PROP_ALMPRIMARYAREA 303
#define OPC_PROP_ALMCONDITION 304
#define OPC_PROP_ALMLIMIT 305
#define OPC_PROP_ALMDB 306
#define OPC_PROP_ALMHH 307
#define OPC_PROP_ALMH 308
#define OPC_PROP_ALML 309
#define OPC_PROP_ALMLL 310
#define OPC_PROP_ALMROC 311
#define OPC_PROP_ALMDEV 312

// The first identifier a vendor may use for a property of its own.
#define OPC_PROP_VENDOR_FIRST 5000

#define OPC_PROPERTY_DESC_DATATYPE u"Item Canonical Data Type"
#define OPC_PROPERTY_DESC_VALUE u"Item Value"
#define OPC_PROPERTY_DESC_QUALITY u"Item Quality"
#define OPC_PROPERTY_DESC_TIMESTAMP u"Item Timestamp"
#define OPC_PROPERTY_DESC_ACCESS_RIGHTS u"Item Access Rights"
#define OPC_PROPERTY_DESC_SCAN_RATE u"Server Scan Rate"
#define OPC_PROPERTY_DESC_EU_TYPE u"Item EU Type"
#define OPC_PROPERTY_DESC_EU_INFO u"Item EUInfo"
#define OPC_PROPERTY_DESC_EU_UNITS u"EU Units"
#define OPC_PROPERTY_DESC_DESCRIPTION u"Item Description"
#define OPC_PROPERTY_DESC_HIGH_EU u"High EU"
#define OPC_PROPERTY_DESC_LOW_EU u"Low EU"
#define OPC_PROPERTY_DESC_HIGH_IR u"High Instrument Range"
#define OPC_PROPERTY_DESC_LOW_IR u"Low Instrument Range"
#define OPC_PROPERTY_DESC_CLOSE_LABEL u"Contact Close Label"
#define OPC_PROPERTY_DESC_OPEN_LABEL u"Contact Open Label"
#define OPC_PROPERTY_DESC_TIMEZONE u"Item Timezone"
