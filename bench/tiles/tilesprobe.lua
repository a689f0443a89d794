-- Counts the pictures this player shows between two marks the benchmark makes: it creates the
-- start file when it begins measuring and the stop file when it ends; the script then writes
-- "seconds pictures dropped decoder-dropped" to the result file. The result file's name with
-- ".playing" appended is created once pictures come, so that slow starts can be waited out.
local options = { start = "", stop = "", result = "" }
require("mp.options").read_options(options, "tilesprobe")

local function exists(path)
    local file = io.open(path, "r")
    if file then
        file:close()
    end
    return file ~= nil
end

local function counters()
    return {
        time = mp.get_time(),
        -- Counts every picture whose time went by, shown or dropped.
        frame = mp.get_property_number("estimated-frame-number", 0),
        dropped = mp.get_property_number("frame-drop-count", 0),
        decoderDropped = mp.get_property_number("decoder-frame-drop-count", 0),
    }
end

local first = nil
local playing = false
local timer
-- Polled: the benchmark has no other way to reach twenty players at once without a socket each.
timer = mp.add_periodic_timer(0.02, function()
    if not playing and mp.get_property_number("estimated-frame-number", 0) > 0 then
        playing = true
        io.open(options.result .. ".playing", "w"):close()
    end
    if not first then
        if exists(options.start) then
            first = counters()
        end
        return
    end
    if not exists(options.stop) then
        return
    end
    timer:kill()
    local last = counters()
    local out = io.open(options.result .. ".part", "w")
    out:write(string.format("%.4f %d %d %d\n", last.time - first.time, last.frame - first.frame,
        last.dropped - first.dropped, last.decoderDropped - first.decoderDropped))
    out:close()
    -- Renamed so that the benchmark never reads half a line.
    os.rename(options.result .. ".part", options.result)
end)
