-- wrk's side of bench/leaderboard_bench.py. One thread is one client on one
-- connection, so its answers come in the order of its runs: run I of thread
-- T is named "PT-I" with the prefix P (the third argument). Each thread posts
-- RUNS runs (the first), writes them with their answers to DIR/T (the second;
-- one line a run: name, score, status, answer) and stops. Past its runs it
-- asks for the style sheet only.
threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("id", threads)
end

-- wrk asks the first thread for one request before it starts, to see whether
-- the script pipelines, and never sends it: that thread's runs count from 0.
function init(args)
  runs, dir, prefix, answered, lines = tonumber(args[1]), args[2], args[3], 0, {}
  sent = id == 1 and -1 or 0
end

function request()
  if sent == runs then
    return wrk.format("GET", "/style.css")
  end
  sent = sent + 1
  local name, score = string.format("%s%d-%d", prefix, id, sent), 26 + (id * 7919 + sent * 104729) % 60000
  lines[sent] = name .. " " .. score
  return wrk.format("POST", "/highscores.php", { ["Content-Type"] = "application/x-www-form-urlencoded" },
    string.format("api_key=POLARLYS4817&spill=snokrystal&score=%d&navn=%s", score, name))
end

function response(status, headers, body)
  if answered == runs then
    return
  end
  answered = answered + 1
  lines[answered] = lines[answered] .. " " .. status .. " " .. body
  if answered == runs then
    local file = io.open(dir .. "/" .. id, "w")
    file:write(table.concat(lines, "\n"), "\n")
    file:close()
    wrk.thread:stop()
  end
end
