#!/usr/bin/env bash
# Builds the agent and the stand-ins, then runs the agent against the bundled
# simulated site: a private redis-server, the local server, message proxy and
# monitor server stand-ins, all on loopback. Stops after DEMO_SECONDS (default 60)
# or on Ctrl-C, and prints what the agent did.
#
#   DEMO_SECONDS=300 bash scripts/demo.sh
#   DEMO_REDIS_PORT=16379 (default)   DEMO_DIR=build/demo (default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

seconds=${DEMO_SECONDS:-60}
redis_port=${DEMO_REDIS_PORT:-16379}
build_dir=${ORV_BUILD_DIR:-build}
demo_dir=$(realpath -m "${DEMO_DIR:-$build_dir/demo}")

echo "== Building the agent and the stand-ins"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc 2>/dev/null || echo 2)" --target zenk-monitor-agent zenk-standins
agent="$root/$build_dir/src/zenk-monitor-agent"
standins="$root/$build_dir/tools/zenk-standins"

rm -rf "$demo_dir"
mkdir -p "$demo_dir/redis"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

echo "== Starting redis-server on 127.0.0.1:$redis_port (data in $demo_dir/redis, not persisted)"
redis-server --port "$redis_port" --bind 127.0.0.1 --dir "$demo_dir/redis" --save "" \
  --appendonly no --logfile "$demo_dir/redis/redis.log" &
pids+=($!)
for _ in $(seq 100); do
  redis-cli -p "$redis_port" ping >/dev/null 2>&1 && break
  sleep 0.1
done

echo "== Starting the stand-ins (sample site: tools/sites/sample-site.json)"
"$standins" all --site tools/sites/sample-site.json --scenario tools/sites/sample-scenario.json \
  --requests-log "$demo_dir/monitor-requests.jsonl" >"$demo_dir/standins.log" 2>&1 &
standins_pid=$!
pids+=($standins_pid)

echo "demo-agent-0001" >"$demo_dir/uid"
echo "agent@example.com" >"$demo_dir/email"
echo "demo-password" >"$demo_dir/password"
cat >"$demo_dir/config.json" <<JSON
{
    "system": {
        "queuesdbfile": "$demo_dir/queues.db",
        "pidfile": "$demo_dir/zenk-monitor-agent.pid",
        "uidfile": "$demo_dir/uid"
    },
    "proxy": { "address": "127.0.0.1", "output_port": 15556, "input_port": 15555 },
    "local_server": { "protocol": "http", "address": "127.0.0.1:18080", "timeout": 10 },
    "monitor_server": {
        "protocol": "http", "address": "127.0.0.1", "port": 18081, "timeout": 10,
        "events_package_size": 50,
        "emailfile": "$demo_dir/email", "passwordfile": "$demo_dir/password"
    },
    "redis": { "host": "127.0.0.1", "port": $redis_port, "password": "" },
    "events": { "device_low_battery": { "set_battery_level": 20, "clear_battery_level": 30 } },
    "modules": { "additional_modules": [] }
}
JSON

echo "== Running zenk-monitor-agent -c $demo_dir/config.json for ${seconds}s (Ctrl-C stops it earlier)"
echo "   it logs to syslog (journalctl -t zenk-monitor-agent where a journal runs)"
"$agent" -c "$demo_dir/config.json" &
agent_pid=$!
stop_agent() { kill -TERM "$agent_pid" 2>/dev/null || true; }
trap stop_agent INT
end=$((SECONDS + seconds))
while kill -0 "$agent_pid" 2>/dev/null && [ $SECONDS -lt $end ]; do
  sleep 1
done
stop_agent
set +e
wait "$agent_pid"
agent_exit=$?
set -e
trap cleanup EXIT

echo
echo "== What the agent did"
echo "exit code after SIGTERM: $agent_exit"
echo "pid file: $(cat "$demo_dir/zenk-monitor-agent.pid" 2>/dev/null) (agent pid was $agent_pid)"
echo "Redis database 7 (the site context):"
echo "  keys: $(redis-cli -p "$redis_port" -n 7 dbsize)"
redis-cli -p "$redis_port" -n 7 --scan | sort | head -40 | sed 's/^/    /'
echo "  layout version: $(redis-cli -p "$redis_port" -n 7 get version), name: $(redis-cli -p "$redis_port" -n 7 get name)"
echo "  agent start time: $(redis-cli -p "$redis_port" -n 7 hget agent start_time)"
echo "Queue database $demo_dir/queues.db: $(stat -c %s "$demo_dir/queues.db" 2>/dev/null || echo 0) bytes"
kill -INT "$standins_pid" 2>/dev/null || true
wait "$standins_pid" 2>/dev/null || true
echo "Stand-ins (full output in $demo_dir/standins.log):"
tail -n 25 "$demo_dir/standins.log" | sed 's/^/    /'
echo "Monitor server requests received: $(wc -l <"$demo_dir/monitor-requests.jsonl" 2>/dev/null || echo 0) ($demo_dir/monitor-requests.jsonl)"
exit "$agent_exit"
