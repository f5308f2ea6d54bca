/* open62541_interop: OPC UA scenarios of open62541's client against the headless zelvox, which
 * run_open62541_interop.sh starts on the virtual bus. Usage: open62541_interop ENDPOINT.
 * Prints one line per scenario and exits 1 when any failed. */
#include <open62541/client.h>
#include <open62541/client_config_default.h>
#include <open62541/client_highlevel.h>
#include <open62541/client_subscriptions.h>
#include <open62541/plugin/log_stdout.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static const char* endpoint;

#define CHECK(cond, ...)                                               \
  do {                                                                 \
    if (!(cond)) {                                                     \
      fprintf(stderr, "  %s:%d: ", __FILE__, __LINE__);                \
      fprintf(stderr, __VA_ARGS__);                                    \
      fprintf(stderr, "\n");                                           \
      return 0;                                                        \
    }                                                                  \
  } while (0)

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static UA_Client* Connect(void) {
  UA_Client* c = UA_Client_new();
  UA_ClientConfig* config = UA_Client_getConfig(c);
  config->logging = UA_Log_Stdout_new(UA_LOGLEVEL_WARNING);  /* kept by the default config */
  UA_ClientConfig_setDefault(config);
  if (UA_Client_connect(c, endpoint) != UA_STATUSCODE_GOOD) {
    UA_Client_delete(c);
    return NULL;
  }
  return c;
}

static UA_NodeId Item(const char* id) {
  return UA_NODEID_STRING(1, (char*)id);
}

/* Runs the client's event loop for `seconds`. */
static void Iterate(UA_Client* c, double seconds) {
  double end = Now() + seconds;
  while (Now() < end) UA_Client_run_iterate(c, 20);
}

static UA_StatusCode WriteValue(UA_Client* c, const char* id, void* value, const UA_DataType* type) {
  UA_Variant v;
  UA_Variant_setScalar(&v, value, type);
  return UA_Client_writeValueAttribute(c, Item(id), &v);
}

/* Reads until the item's value is Good (a first read asks the bus once). */
static int GoodValue(UA_Client* c, const char* id, UA_Variant* out) {
  double end = Now() + 15;
  while (Now() < end) {
    UA_Variant_init(out);
    if (UA_Client_readValueAttribute(c, Item(id), out) == UA_STATUSCODE_GOOD && !UA_Variant_isEmpty(out))
      return 1;
    UA_Variant_clear(out);
    Iterate(c, 0.1);
  }
  return 0;
}

static int CacheReads(UA_Client* c) {
  /* A write's confirmation sets the silent address's value; default reads (maxAge 0) for
   * longer than the response time-out of 2 s must not have sent a group read, which would go
   * unanswered and turn the value bad. */
  UA_Boolean on = true;
  CHECK(WriteValue(c, "Test.Silent.1/3/1", &on, &UA_TYPES[UA_TYPES_BOOLEAN]) == UA_STATUSCODE_GOOD,
        "write");
  Iterate(c, 1.0);
  double end = Now() + 3.5;
  while (Now() < end) {
    UA_Variant v;
    UA_Variant_init(&v);
    UA_StatusCode s = UA_Client_readValueAttribute(c, Item("Test.Silent.1/3/1"), &v);
    CHECK(s == UA_STATUSCODE_GOOD, "read status %s", UA_StatusCode_name(s));
    CHECK(UA_Variant_hasScalarType(&v, &UA_TYPES[UA_TYPES_BOOLEAN]) && *(UA_Boolean*)v.data,
          "value");
    UA_Variant_clear(&v);
    Iterate(c, 0.25);
  }
  return 1;
}

/* The child of `parent` with browse name `name` along hierarchical references. */
static int Child(UA_Client* c, UA_NodeId parent, const char* name, UA_NodeId* out) {
  UA_BrowseRequest req;
  UA_BrowseRequest_init(&req);
  UA_BrowseDescription d;
  UA_BrowseDescription_init(&d);
  d.nodeId = parent;
  d.browseDirection = UA_BROWSEDIRECTION_FORWARD;
  d.referenceTypeId = UA_NODEID_NUMERIC(0, UA_NS0ID_HIERARCHICALREFERENCES);
  d.includeSubtypes = true;
  d.resultMask = UA_BROWSERESULTMASK_ALL;
  req.nodesToBrowse = &d;
  req.nodesToBrowseSize = 1;
  UA_BrowseResponse res = UA_Client_Service_browse(c, req);
  int found = 0;
  if (res.resultsSize == 1) {
    for (size_t k = 0; k < res.results[0].referencesSize && !found; ++k) {
      UA_ReferenceDescription* r = &res.results[0].references[k];
      if (r->browseName.name.length == strlen(name) &&
          memcmp(r->browseName.name.data, name, strlen(name)) == 0) {
        UA_NodeId_copy(&r->nodeId.nodeId, out);
        found = 1;
      }
    }
  }
  UA_BrowseResponse_clear(&res);
  return found;
}

static int TypeTree(UA_Client* c) {
  const char* path[] = {"DataTypes", "BaseDataType", "Number", "Float"};
  UA_NodeId node = UA_NODEID_NUMERIC(0, UA_NS0ID_TYPESFOLDER);
  for (size_t k = 0; k < 4; ++k) {
    UA_NodeId next;
    CHECK(Child(c, node, path[k], &next), "%s not found", path[k]);
    UA_NodeId_clear(&node);
    node = next;
  }
  UA_NodeId dataType;
  CHECK(UA_Client_readDataTypeAttribute(c, Item("Test.Types.1/1/7"), &dataType) ==
            UA_STATUSCODE_GOOD,
        "DataType");
  CHECK(UA_NodeId_equal(&dataType, &node), "the item's data type is not the Float found");
  UA_NodeId_clear(&node);
  return 1;
}

static float seen[64];
static size_t seenCount;

static void OnChange(UA_Client* c, UA_UInt32 subId, void* subContext, UA_UInt32 monId,
                     void* monContext, UA_DataValue* value) {
  (void)c, (void)subId, (void)subContext, (void)monId, (void)monContext;
  if (value->hasValue && UA_Variant_hasScalarType(&value->value, &UA_TYPES[UA_TYPES_FLOAT]) &&
      seenCount < 64)
    seen[seenCount++] = *(UA_Float*)value->value.data;
}

static int Seen(float v) {
  for (size_t k = 0; k < seenCount; ++k)
    if (seen[k] == v) return 1;
  return 0;
}

static int WaitSeen(UA_Client* c, float v) {
  double end = Now() + 15;
  while (Now() < end && !Seen(v)) UA_Client_run_iterate(c, 50);
  return Seen(v);
}

static int Deadband(UA_Client* c) {
  UA_CreateSubscriptionRequest sreq = UA_CreateSubscriptionRequest_default();
  sreq.requestedPublishingInterval = 100;
  UA_CreateSubscriptionResponse sub = UA_Client_Subscriptions_create(c, sreq, NULL, NULL, NULL);
  CHECK(sub.responseHeader.serviceResult == UA_STATUSCODE_GOOD, "subscription");
  UA_MonitoredItemCreateRequest mreq = UA_MonitoredItemCreateRequest_default(Item("Test.Types.1/1/7"));
  mreq.requestedParameters.samplingInterval = 50;
  UA_DataChangeFilter filter;
  UA_DataChangeFilter_init(&filter);
  filter.trigger = UA_DATACHANGETRIGGER_STATUSVALUE;
  filter.deadbandType = UA_DEADBANDTYPE_ABSOLUTE;
  filter.deadbandValue = 1.0;
  UA_ExtensionObject_setValue(&mreq.requestedParameters.filter, &filter,
                              &UA_TYPES[UA_TYPES_DATACHANGEFILTER]);
  UA_MonitoredItemCreateResult item = UA_Client_MonitoredItems_createDataChange(
      c, sub.subscriptionId, UA_TIMESTAMPSTORETURN_BOTH, mreq, NULL, OnChange, NULL);
  CHECK(item.statusCode == UA_STATUSCODE_GOOD, "monitored item %s", UA_StatusCode_name(item.statusCode));
  UA_Float values[] = {10.0f, 10.5f, 12.0f};
  CHECK(WriteValue(c, "Test.Types.1/1/7", &values[0], &UA_TYPES[UA_TYPES_FLOAT]) == UA_STATUSCODE_GOOD,
        "write");
  CHECK(WaitSeen(c, 10.0f), "10 not notified");
  WriteValue(c, "Test.Types.1/1/7", &values[1], &UA_TYPES[UA_TYPES_FLOAT]);
  Iterate(c, 0.3);
  WriteValue(c, "Test.Types.1/1/7", &values[2], &UA_TYPES[UA_TYPES_FLOAT]);
  CHECK(WaitSeen(c, 12.0f), "12 not notified");
  CHECK(!Seen(10.5f), "10.5 lies within the deadband but was notified");
  /* Percent deadbands need an EURange, which this item has not. */
  filter.deadbandType = UA_DEADBANDTYPE_PERCENT;
  filter.deadbandValue = 10;
  item = UA_Client_MonitoredItems_createDataChange(c, sub.subscriptionId, UA_TIMESTAMPSTORETURN_BOTH,
                                                   mreq, NULL, OnChange, NULL);
  CHECK(item.statusCode == UA_STATUSCODE_BADMONITOREDITEMFILTERUNSUPPORTED, "percent: %s",
        UA_StatusCode_name(item.statusCode));
  UA_Client_Subscriptions_deleteSingle(c, sub.subscriptionId);
  return 1;
}

static int Transfer(void) {
  UA_Client* first = Connect();
  CHECK(first != NULL, "connect");
  UA_Variant v;
  CHECK(GoodValue(first, "Test.Types.1/1/18", &v), "no value for 1/1/18");
  UA_Variant_clear(&v);
  UA_CreateSubscriptionResponse sub =
      UA_Client_Subscriptions_create(first, UA_CreateSubscriptionRequest_default(), NULL, NULL, NULL);
  CHECK(sub.responseHeader.serviceResult == UA_STATUSCODE_GOOD, "subscription");
  UA_MonitoredItemCreateResult item = UA_Client_MonitoredItems_createDataChange(
      first, sub.subscriptionId, UA_TIMESTAMPSTORETURN_BOTH,
      UA_MonitoredItemCreateRequest_default(Item("Test.Types.1/1/18")), NULL, NULL, NULL);
  CHECK(item.statusCode == UA_STATUSCODE_GOOD, "monitored item");

  /* The client comes back with a new session and takes its subscription along. */
  UA_Client* second = Connect();
  CHECK(second != NULL, "connect again");
  UA_TransferSubscriptionsRequest treq;
  UA_TransferSubscriptionsRequest_init(&treq);
  treq.subscriptionIds = &sub.subscriptionId;
  treq.subscriptionIdsSize = 1;
  treq.sendInitialValues = true;
  UA_TransferSubscriptionsResponse tres;
  __UA_Client_Service(second, &treq, &UA_TYPES[UA_TYPES_TRANSFERSUBSCRIPTIONSREQUEST], &tres,
                      &UA_TYPES[UA_TYPES_TRANSFERSUBSCRIPTIONSRESPONSE]);
  CHECK(tres.resultsSize == 1 && tres.results[0].statusCode == UA_STATUSCODE_GOOD, "transfer");
  UA_TransferSubscriptionsResponse_clear(&tres);

  /* The initial value arrives on the new session. */
  UA_Byte initial = 0;
  double end = Now() + 15;
  while (initial == 0 && Now() < end) {
    UA_PublishRequest preq;
    UA_PublishRequest_init(&preq);
    UA_PublishResponse pres;
    __UA_Client_Service(second, &preq, &UA_TYPES[UA_TYPES_PUBLISHREQUEST], &pres,
                        &UA_TYPES[UA_TYPES_PUBLISHRESPONSE]);
    UA_NotificationMessage* m = &pres.notificationMessage;
    for (size_t k = 0; k < m->notificationDataSize; ++k) {
      if (m->notificationData[k].content.decoded.type != &UA_TYPES[UA_TYPES_DATACHANGENOTIFICATION])
        continue;
      UA_DataChangeNotification* n = m->notificationData[k].content.decoded.data;
      for (size_t i = 0; i < n->monitoredItemsSize; ++i) {
        UA_Variant* value = &n->monitoredItems[i].value.value;
        if (UA_Variant_hasScalarType(value, &UA_TYPES[UA_TYPES_BYTE])) initial = *(UA_Byte*)value->data;
      }
    }
    UA_PublishResponse_clear(&pres);
  }
  CHECK(initial == 200, "initial value %u", initial);

  /* GetMonitoredItems on the new session lists the item. */
  UA_Variant input;
  UA_Variant_setScalar(&input, &sub.subscriptionId, &UA_TYPES[UA_TYPES_UINT32]);
  size_t outputSize = 0;
  UA_Variant* output = NULL;
  UA_StatusCode s = UA_Client_call(second, UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER),
                                   UA_NODEID_NUMERIC(0, UA_NS0ID_SERVER_GETMONITOREDITEMS), 1,
                                   &input, &outputSize, &output);
  CHECK(s == UA_STATUSCODE_GOOD, "GetMonitoredItems %s", UA_StatusCode_name(s));
  CHECK(outputSize == 2 && output[0].arrayLength == 1 &&
            ((UA_UInt32*)output[0].data)[0] == item.monitoredItemId,
        "GetMonitoredItems output");
  UA_Array_delete(output, outputSize, &UA_TYPES[UA_TYPES_VARIANT]);
  UA_Client_disconnect(second);
  UA_Client_delete(second);
  UA_Client_disconnect(first);
  UA_Client_delete(first);
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: open62541_interop ENDPOINT\n");
    return 2;
  }
  endpoint = argv[1];
  UA_Client* c = Connect();
  if (c == NULL) {
    fprintf(stderr, "cannot connect to %s\n", endpoint);
    return 1;
  }
  int failed = 0;
  struct {
    const char* name;
    int (*run)(UA_Client*);
  } scenarios[] = {
      {"default reads come from the cache and leave a silent address good", CacheReads},
      {"the type tree from Types down to an item's data type", TypeTree},
      {"deadband: only larger changes are notified", Deadband},
  };
  for (size_t k = 0; k < sizeof scenarios / sizeof scenarios[0]; ++k) {
    int ok = scenarios[k].run(c);
    printf("%s %s\n", ok ? "ok  " : "FAIL", scenarios[k].name);
    failed += !ok;
  }
  int ok = Transfer();
  printf("%s TransferSubscriptions and GetMonitoredItems on a new session\n", ok ? "ok  " : "FAIL");
  failed += !ok;
  UA_Client_disconnect(c);
  UA_Client_delete(c);
  return failed ? 1 : 0;
}
